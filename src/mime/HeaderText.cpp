#include "mime/HeaderText.h"

#include <gmime/gmime.h>

#include <algorithm>
#include <optional>
#include <vector>

#include "mime/GMimeHandles.h"
#include "mime/HeaderFields.h"

namespace mime {

namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

bool isPrintable(char c) {
    return c > ' ' && c < 0x7f;
}

struct Word {
    qsizetype start = 0;
    qsizetype end = 0;   // just past its "?="
    QByteArray charset;  // without an RFC 2231 language
    char encoding = 'B';
    QByteArrayView text;
};

// "=?charset?B|Q?text?=" at `at`, with no blank or 8-bit byte anywhere in it.
// When there is none, `resume` is where the next one can start: past a text that
// never ends, so that a long header of broken words is read in one pass.
std::optional<Word> wordAt(QByteArrayView s, qsizetype at, qsizetype& resume) {
    resume = at + 1;
    if (!s.sliced(at).startsWith("=?")) return std::nullopt;
    qsizetype p = at + 2;
    while (p < s.size() && s[p] != '?' && isPrintable(s[p])) ++p;
    if (p + 3 >= s.size() || s[p] != '?' || s[p + 2] != '?') return std::nullopt;
    Word w;
    w.charset = s.sliced(at + 2, p - at - 2).toByteArray();
    if (const qsizetype star = w.charset.indexOf('*'); star >= 0) w.charset.truncate(star);
    if (w.charset.isEmpty()) return std::nullopt;
    w.encoding = static_cast<char>(s[p + 1] & ~0x20);
    if (w.encoding != 'B' && w.encoding != 'Q') return std::nullopt;
    const qsizetype text = p + 3;
    qsizetype e = text;
    while (e + 1 < s.size() && !(s[e] == '?' && s[e + 1] == '=')) {
        if (!isPrintable(s[e])) break;
        ++e;
    }
    if (e + 1 >= s.size() || !isPrintable(s[e])) {
        // No word starting before e can end either.
        resume = std::max(resume, e);
        return std::nullopt;
    }
    w.text = s.sliced(text, e - text);
    w.start = at;
    w.end = e + 2;
    return w;
}

// One word's bytes, decoded by GMime with a fresh state: padding ends this word only.
QByteArray wordBytes(const Word& w) {
    QByteArray in = w.text.toByteArray();
    if (w.encoding == 'B') {
        // Some mailers leave the padding out; GMime keeps a partial quartet back without it.
        if (!in.contains('=')) in.append((4 - in.size() % 4) % 4, '=');
    } else {
        in.replace('_', "=20");  // Q's one difference from quoted-printable
    }
    QByteArray out(in.size() + 4, Qt::Uninitialized);
    int state = 0;
    guint32 save = 0;
    const auto* from = reinterpret_cast<const unsigned char*>(in.constData());
    auto* to = reinterpret_cast<unsigned char*>(out.data());
    const size_t n =
        w.encoding == 'B'
            ? g_mime_encoding_base64_decode_step(from, size_t(in.size()), to, &state, &save)
            : g_mime_encoding_quoted_decode_step(from, size_t(in.size()), to, &state, &save);
    out.truncate(qsizetype(n));
    return out;
}

// GMime converts the joined bytes: handed one word, it has nothing to merge.
QString converted(const QByteArray& charset, const QByteArray& bytes) {
    if (bytes.isEmpty()) return {};
    const QByteArray word = "=?" + charset + "?b?" + bytes.toBase64() + "?=";
    GString_ text(g_mime_utils_header_decode_text(headerOptions(), word.constData()));
    return QString::fromUtf8(text.get());
}

bool sameCharset(const QByteArray& a, const QByteArray& b) {
    return g_ascii_strcasecmp(g_mime_charset_canon_name(a.constData()),
                              g_mime_charset_canon_name(b.constData())) == 0;
}

QString runText(const std::vector<Word>& run) {
    QString out;
    QByteArray charset;
    QByteArray bytes;
    for (const Word& w : run) {
        if (!charset.isEmpty() && !sameCharset(charset, w.charset)) {
            out += converted(charset, bytes);
            bytes.clear();
        }
        charset = w.charset;
        bytes += wordBytes(w);
    }
    return out + converted(charset, bytes);
}

// Calls text(view) for what lies between runs and run(words) for each run of
// encoded words with nothing but blanks between them.
template <typename Text, typename Run>
void scan(QByteArrayView s, Text&& text, Run&& run) {
    qsizetype textStart = 0;
    qsizetype i = 0;
    qsizetype resume = 0;
    while (i < s.size()) {
        std::optional<Word> w = s[i] == '=' ? wordAt(s, i, resume) : std::nullopt;
        if (!w) {
            i = s[i] == '=' ? resume : i + 1;
            continue;
        }
        text(s.sliced(textStart, i - textStart));
        std::vector<Word> words;
        qsizetype end = w->end;
        words.push_back(std::move(*w));
        for (;;) {
            qsizetype j = end;
            while (j < s.size() && isBlank(s[j])) ++j;
            std::optional<Word> next = j < s.size() ? wordAt(s, j, resume) : std::nullopt;
            if (!next) break;
            end = next->end;
            words.push_back(std::move(*next));
        }
        run(words);
        i = textStart = end;
    }
    text(s.sliced(textStart));
}

QString plainText(QByteArrayView text) {
    for (char c : text)
        if (static_cast<unsigned char>(c) >= 0x80) {
            GString_ t(g_mime_utils_decode_8bit(headerOptions(), text.data(), size_t(text.size())));
            return QString::fromUtf8(t.get());
        }
    return QString::fromLatin1(text);
}

}  // namespace

QString decodeHeaderText(QByteArrayView raw) {
    headerOptions();  // sets GMime up
    GString_ unfolded(g_mime_utils_header_unfold(raw.toByteArray().constData()));
    QString out;
    scan(
        QByteArrayView(unfolded.get()), [&](QByteArrayView t) { out += plainText(t); },
        [&](const std::vector<Word>& run) { out += runText(run); });
    return out;
}

QByteArray joinEncodedWords(QByteArrayView raw) {
    if (!raw.contains("=?")) return raw.toByteArray();
    headerOptions();
    QByteArray out;
    scan(
        raw, [&](QByteArrayView t) { out += t; },
        [&](const std::vector<Word>& run) {
            // GMime reads a lone word right; one inside a mail address must stay as sent.
            if (run.size() == 1)
                out += raw.sliced(run.front().start, run.front().end - run.front().start);
            else
                out += "=?UTF-8?b?" + runText(run).toUtf8().toBase64() + "?=";
        });
    return out;
}

}  // namespace mime
