-- The store as text: profiles, stores, then every message with every field the
-- importer writes. Times as UTC wall clock (the tests run with TZ=UTC).
.mode list
SELECT 'profile ' || quote(name) || ' default ' || is_default FROM profiles ORDER BY rid;
SELECT 'store ' || quote(s.name) || ' top ' || quote((SELECT name FROM folders WHERE rid = s.root))
       || ' in ' || (SELECT group_concat(quote(p.name)) FROM profile_stores ps
                     JOIN profiles p ON p.rid = ps.profile WHERE ps.store = s.rid)
  FROM stores s ORDER BY s.rid;
WITH RECURSIVE path(rid, p) AS (
    SELECT f.rid, st.name || ':' || f.name FROM folders f JOIN stores st ON f.parent = st.root
    UNION ALL
    SELECT f.rid, path.p || '/' || f.name FROM folders f JOIN path ON f.parent = path.rid)
SELECT 'folder ' || p || ' (' || (SELECT COUNT(*) FROM messages WHERE folder = path.rid) || ')'
  FROM path ORDER BY p;
WITH RECURSIVE path(rid, p) AS (
    SELECT f.rid, st.name || ':' || f.name FROM folders f JOIN stores st ON f.parent = st.root
    UNION ALL
    SELECT f.rid, path.p || '/' || f.name FROM folders f JOIN path ON f.parent = path.rid)
SELECT 'message ' || path.p || ' ' || quote(m.subject) || char(10)
    || '  sender ' || m.has_sender || ' ' || quote(m.sender_name) || ' ' || quote(m.sender_address) || char(10)
    || '  sent ' || coalesce(datetime(m.time_sent - 2209161600, 'unixepoch'), 'NULL')
    || ' received ' || coalesce(datetime(m.time_received - 2209161600, 'unixepoch'), 'NULL') || char(10)
    || '  importance ' || m.importance || ' unread ' || m.unread || ' class ' || m.type
    || ' size ' || m.size || ' raw ' || length(s.raw) || ' id ' || quote(s.message_id) || char(10)
    || '  topic ' || quote(m.conv_topic) || char(10)
    || '  body ' || quote(replace(replace(m.body, char(13), '\r'), char(10), '\n'))
    || coalesce((SELECT group_concat(char(10) || '  recipient ' || r.type || ' ' || quote(r.name)
                                     || ' ' || quote(r.address), '')
                   FROM (SELECT * FROM recipients WHERE message = m.rid ORDER BY rid) r), '')
    || coalesce((SELECT group_concat(char(10) || '  attachment ' || a.position || ' ' || quote(a.name)
                                     || ' ' || length(a.data) || ' '
                                     || CASE WHEN length(a.data) <= 40 THEN quote(a.data)
                                             ELSE 'sha3 ' || lower(hex(sha3(a.data, 256))) END, '')
                   FROM (SELECT * FROM attachments WHERE message = m.rid ORDER BY rid) a), '')
  FROM messages m JOIN path ON path.rid = m.folder LEFT JOIN message_sources s ON s.message = m.rid
 ORDER BY path.p, m.rid;
