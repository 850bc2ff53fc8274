#include "store/DemoMailbox.h"

#include <QDateTime>
#include <QJsonArray>

namespace store {

namespace {

struct Person {
    const char* name;
    const char* alias;
};

const Person kPeople[] = {
    {"Alice Barton", "alicebar"}, {"Bruno Castell", "brunoc"},     {"Carla Dimitrov", "carlad"},
    {"Dev Eastman", "deve"},      {"Elena Fairweather", "elenaf"}, {"Frank Gallo", "frankg"},
    {"Grace Holloway", "graceh"}, {"Hiro Ishikawa", "hiroi"},      {"Ines Jaramillo", "inesj"},
    {"Jonas Kowalski", "jonask"}, {"Kira Lindqvist", "kiral"},     {"Luis Moreno", "luism"},
    {"Maya Nakamura", "mayan"},   {"Nils Olsen", "nilso"},         {"Olivia Park", "oliviap"},
    {"Pavel Quinn", "pavelq"},    {"Rosa Santos", "rosas"},        {"Sam Tanaka", "samt"},
    {"Tara Underwood", "tarau"},  {"Victor Weiss", "victorw"},
};
constexpr int kPeopleCount = static_cast<int>(std::size(kPeople));

const char* const kTopics[] = {
    "Budget review",      "Quarterly report",  "Release planning",  "Team lunch",
    "Server maintenance", "Customer feedback", "Design meeting",    "Travel arrangements",
    "Contract renewal",   "Weekly status",     "Training schedule", "Office move",
    "Security update",    "Product launch",    "Holiday rota",      "Invoice query",
};
constexpr int kTopicCount = static_cast<int>(std::size(kTopics));

QString address(const Person& p) {
    return QString::fromLatin1(p.alias) + QStringLiteral("@quorvane.example");
}

QJsonObject person(const Person& p) {
    return QJsonObject{{QStringLiteral("name"), QString::fromLatin1(p.name)},
                       {QStringLiteral("address"), address(p)}};
}

QString stamp(const QDateTime& dt) {
    return dt.toString(Qt::ISODate);
}

// One custom field of every supported type, values varied by n.
QJsonArray customFields(int n) {
    const QDateTime due = QDateTime(QDate(1999, 4, 1), QTime(17, 0)).addDays(n % 30);
    QJsonArray fields{
        QJsonObject{{QStringLiteral("name"), QStringLiteral("Priority Code")},
                    {QStringLiteral("type"), 2},
                    {QStringLiteral("value"), n % 5}},
        QJsonObject{{QStringLiteral("name"), QStringLiteral("Ticket Number")},
                    {QStringLiteral("type"), 3},
                    {QStringLiteral("value"), 100000 + n}},
        QJsonObject{{QStringLiteral("name"), QStringLiteral("Score")},
                    {QStringLiteral("type"), 4},
                    {QStringLiteral("value"), 0.5 + n % 10}},
        QJsonObject{{QStringLiteral("name"), QStringLiteral("Ratio")},
                    {QStringLiteral("type"), 5},
                    {QStringLiteral("value"), 1.25 * (n % 8)}},
        QJsonObject{{QStringLiteral("name"), QStringLiteral("Budget")},
                    {QStringLiteral("type"), 6},
                    {QStringLiteral("value"), 1500.75 + n}},
        QJsonObject{{QStringLiteral("name"), QStringLiteral("Due Date")},
                    {QStringLiteral("type"), 7},
                    {QStringLiteral("value"), stamp(due)}},
        QJsonObject{{QStringLiteral("name"), QStringLiteral("Keywords")},
                    {QStringLiteral("type"), 8},
                    {QStringLiteral("value"), QStringLiteral("demo; sample %1").arg(n)}},
        QJsonObject{{QStringLiteral("name"), QStringLiteral("Reviewed")},
                    {QStringLiteral("type"), 11},
                    {QStringLiteral("value"), n % 2 == 0}},
        QJsonObject{{QStringLiteral("name"), QStringLiteral("Checksum")},
                    {QStringLiteral("type"), 65},
                    {QStringLiteral("value"),
                     QStringLiteral("%1")
                         .arg(0xC0DE0000u + static_cast<unsigned>(n), 8, 16, QLatin1Char('0'))
                         .toUpper()}},
    };
    // A property that could not be read; only on a few messages, and last, so
    // that listing the fields of most demo messages runs to the end.
    if (n % 25 == 0)
        fields.append(QJsonObject{{QStringLiteral("name"), QStringLiteral("Sync State")},
                                  {QStringLiteral("type"), 10},
                                  {QStringLiteral("error"), QStringLiteral("8004010F")}});
    return fields;
}

class Generator {
  public:
    QJsonArray messages(int count, bool sentFolder) {
        QJsonArray out;
        for (int k = 0; k < count; ++k) out.append(message(sentFolder));
        return out;
    }

  private:
    QJsonObject message(bool sentFolder) {
        const int n = n_++;
        const Person& from = sentFolder ? kPeople[0] : kPeople[(n * 7 + 3) % kPeopleCount];
        const QString topic = QString::fromLatin1(kTopics[n % kTopicCount]);
        const QString subject = n % 4 == 1 ? QStringLiteral("RE: ") + topic : topic;
        const QString body = QStringLiteral(
                                 "Hello,\r\n\r\nThis is message %1 about %2.\r\nPlease reply "
                                 "by Friday.\r\n\r\nRegards,\r\n%3")
                                 .arg(n)
                                 .arg(topic.toLower(), QString::fromLatin1(from.name));
        const QDateTime received =
            QDateTime(QDate(1999, 1, 4), QTime(8, 0)).addSecs(qint64(n) * 5400 + (n % 60));
        const QDateTime sent = received.addSecs(-(60 + n % 600));

        QJsonArray recips;
        recips.append(QJsonObject{
            {QStringLiteral("name"), QString::fromLatin1(kPeople[(n + 1) % kPeopleCount].name)},
            {QStringLiteral("address"), address(kPeople[(n + 1) % kPeopleCount])},
            {QStringLiteral("type"), 1}});
        if (n % 2 == 0)
            recips.append(QJsonObject{
                {QStringLiteral("name"), QString::fromLatin1(kPeople[(n + 5) % kPeopleCount].name)},
                {QStringLiteral("address"), address(kPeople[(n + 5) % kPeopleCount])},
                {QStringLiteral("type"), 2}});
        if (n % 5 == 0)
            recips.append(QJsonObject{
                {QStringLiteral("name"), QString::fromLatin1(kPeople[(n + 9) % kPeopleCount].name)},
                {QStringLiteral("address"), address(kPeople[(n + 9) % kPeopleCount])},
                {QStringLiteral("type"), 3}});

        QJsonObject m{
            {QStringLiteral("subject"), subject},
            {QStringLiteral("text"), body},
            {QStringLiteral("importance"), n % 3 == 0 ? 2 : (n % 3 == 1 ? 1 : 0)},
            {QStringLiteral("sender"), person(from)},
            {QStringLiteral("timeReceived"), stamp(received)},
            {QStringLiteral("timeSent"), stamp(sent)},
            {QStringLiteral("type"),
             n % 17 == 0 ? QStringLiteral("IPM.Note.Receipt") : QStringLiteral("IPM.Note")},
            {QStringLiteral("unread"), !sentFolder && n % 3 == 0},
            {QStringLiteral("sent"), true},
            {QStringLiteral("conversationIndex"),
             QStringLiteral("01BE%1").arg(n, 8, 16, QLatin1Char('0')).toUpper()},
            {QStringLiteral("conversationTopic"), topic},
            {QStringLiteral("recipients"), recips},
        };
        int size = static_cast<int>(subject.size() + body.size()) + 256;
        if (n % 7 == 0) {
            const QByteArray note = QStringLiteral("Notes for message %1\r\n").arg(n).toUtf8();
            const QByteArray binary = QByteArray::fromHex("89504E470D0A1A0A0000000D49484452");
            m.insert(QStringLiteral("attachments"),
                     QJsonArray{
                         QJsonObject{{QStringLiteral("name"), QStringLiteral("notes%1.txt").arg(n)},
                                     {QStringLiteral("text"), QString::fromUtf8(note)}},
                         QJsonObject{
                             {QStringLiteral("name"), QStringLiteral("chart%1.png").arg(n)},
                             {QStringLiteral("base64"), QString::fromLatin1(binary.toBase64())}}});
            size += static_cast<int>(note.size() + binary.size());
        }
        if (n % 5 == 0) m.insert(QStringLiteral("fields"), customFields(n));
        m.insert(QStringLiteral("size"), size);
        return m;
    }

    int n_ = 0;
};

QJsonObject folder(const QString& name, const QJsonArray& messages,
                   const QJsonArray& subfolders = {}) {
    QJsonObject f{{QStringLiteral("name"), name}};
    if (!messages.isEmpty()) f.insert(QStringLiteral("messages"), messages);
    if (!subfolders.isEmpty()) f.insert(QStringLiteral("folders"), subfolders);
    return f;
}

QJsonObject entry(const Person& p, const QString& comment = QString()) {
    QJsonObject e{{QStringLiteral("name"), QString::fromLatin1(p.name)},
                  {QStringLiteral("address"), address(p)},
                  {QStringLiteral("type"), QStringLiteral("SMTP")},
                  {QStringLiteral("alias"), QString::fromLatin1(p.alias)},
                  {QStringLiteral("displayType"), 0}};
    if (!comment.isEmpty()) e.insert(QStringLiteral("comment"), comment);
    return e;
}

}  // namespace

QJsonObject demoMailbox() {
    Generator g;
    const QString outboxId = QStringLiteral("00000002000000000000D0B0");

    QJsonObject personal{
        {QStringLiteral("name"), QStringLiteral("Personal Folders")},
        {QStringLiteral("root"),
         QJsonObject{{QStringLiteral("name"), QStringLiteral("Top of Personal Folders")}}},
        {QStringLiteral("outbox"), outboxId},
        {QStringLiteral("folders"),
         QJsonArray{
             folder(
                 QStringLiteral("Inbox"), g.messages(110, false),
                 QJsonArray{
                     folder(QStringLiteral("Projects"), g.messages(30, false),
                            QJsonArray{folder(QStringLiteral("Quorvane"), g.messages(25, false)),
                                       folder(QStringLiteral("Archive"), g.messages(20, false))}),
                     folder(QStringLiteral("Newsletters"), g.messages(35, false))}),
             [] {
                 QJsonObject o = folder(QStringLiteral("Outbox"), {});
                 o.insert(QStringLiteral("id"), QStringLiteral("00000002000000000000D0B0"));
                 return o;
             }(),
             folder(QStringLiteral("Sent Items"), g.messages(30, true)),
             folder(QStringLiteral("Deleted Items"), g.messages(10, false)),
             folder(QStringLiteral("Drafts"), {}),
         }},
    };
    QJsonObject mailbox{
        {QStringLiteral("name"), QStringLiteral("Mailbox - Alice Barton")},
        {QStringLiteral("root"),
         QJsonObject{{QStringLiteral("name"), QStringLiteral("Top of Information Store")}}},
        {QStringLiteral("folders"),
         QJsonArray{folder(QStringLiteral("Inbox"), g.messages(25, false)),
                    folder(QStringLiteral("Sent Items"), g.messages(8, true)),
                    folder(QStringLiteral("Deleted Items"), {})}},
    };
    QJsonObject publicStore{
        {QStringLiteral("name"), QStringLiteral("Public Folders")},
        {QStringLiteral("root"),
         QJsonObject{{QStringLiteral("name"), QStringLiteral("Public Folders")}}},
        {QStringLiteral("folders"),
         QJsonArray{folder(
             QStringLiteral("All Public Folders"), {},
             QJsonArray{
                 folder(QStringLiteral("Announcements"), g.messages(12, false)),
                 folder(QStringLiteral("Support"), g.messages(5, false),
                        QJsonArray{folder(QStringLiteral("Tickets"), g.messages(15, false))})})}},
    };

    QJsonArray gal;
    for (const Person& p : kPeople) gal.append(entry(p));
    QJsonObject team{
        {QStringLiteral("name"), QStringLiteral("Project Team")},
        {QStringLiteral("type"), QStringLiteral("MAPIPDL")},
        {QStringLiteral("displayType"), 5},
        {QStringLiteral("comment"), QStringLiteral("Everyone on the Quorvane project")},
        {QStringLiteral("members"),
         QJsonArray{entry(kPeople[1]), entry(kPeople[2]), entry(kPeople[6])}}};
    QJsonObject pabFriend = entry(kPeople[3], QStringLiteral("Met at the 1998 conference"));
    pabFriend.insert(
        QStringLiteral("fields"),
        QJsonArray{QJsonObject{{QStringLiteral("name"), QStringLiteral("Nickname")},
                               {QStringLiteral("value"), QStringLiteral("Dev")}},
                   QJsonObject{{QStringLiteral("name"), QStringLiteral("Birthday")},
                               {QStringLiteral("type"), 7},
                               {QStringLiteral("value"), QStringLiteral("1970-05-17")}}});
    QJsonArray contacts{entry(kPeople[4]), entry(kPeople[8]), entry(kPeople[12]),
                        entry(kPeople[16])};

    return QJsonObject{
        {QStringLiteral("profiles"),
         QJsonArray{QJsonObject{{QStringLiteral("name"), QStringLiteral("Default")},
                                {QStringLiteral("default"), true},
                                {QStringLiteral("server"), QStringLiteral("QVSERVER")},
                                {QStringLiteral("mailbox"), QStringLiteral("Alice Barton")}}}},
        {QStringLiteral("stores"), QJsonArray{personal, mailbox, publicStore}},
        {QStringLiteral("addressLists"),
         QJsonArray{QJsonObject{{QStringLiteral("name"), QStringLiteral("Global Address List")},
                                {QStringLiteral("readOnly"), true},
                                {QStringLiteral("entries"), gal}},
                    QJsonObject{{QStringLiteral("name"), QStringLiteral("Personal Address Book")},
                                {QStringLiteral("entries"),
                                 QJsonArray{pabFriend, entry(kPeople[10]), team}}},
                    QJsonObject{{QStringLiteral("name"), QStringLiteral("Contacts")},
                                {QStringLiteral("entries"), contacts}}}},
    };
}

}  // namespace store
