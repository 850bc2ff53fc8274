#include "mime/HeaderFields.h"

#include <cstring>
#include <mutex>

#include "mime/GMimeHandles.h"
#include "mime/HeaderText.h"

namespace mime {

namespace {

QString utf8(const char* s) {
    return s ? QString::fromUtf8(s) : QString();
}

// Every header `name` of `obj` in order, as it came.
template <typename F>
void forEachRaw(GMimeObject* obj, const char* name, F&& f) {
    GMimeHeaderList* list = g_mime_object_get_header_list(obj);
    const int n = list ? g_mime_header_list_get_count(list) : 0;
    for (int i = 0; i < n; ++i) {
        GMimeHeader* h = g_mime_header_list_get_header_at(list, i);
        if (g_ascii_strcasecmp(g_mime_header_get_name(h), name) != 0) continue;
        if (const char* raw = g_mime_header_get_raw_value(h)) f(raw);
    }
}

const char* firstRaw(GMimeObject* obj, const char* name) {
    const char* found = nullptr;
    forEachRaw(obj, name, [&](const char* raw) {
        if (!found) found = raw;
    });
    return found;
}

}  // namespace

void initGMime() {
    static std::once_flag once;
    std::call_once(once, [] { g_mime_init(); });
}

void setReaderOptions(GMimeParserOptions* options) {
    static const char* fallback[] = {"UTF-8", "windows-1252", nullptr};
    g_mime_parser_options_set_fallback_charsets(options, fallback);
    g_mime_parser_options_set_rfc2047_compliance_mode(options, GMIME_RFC_COMPLIANCE_LOOSE);
    g_mime_parser_options_set_address_compliance_mode(options, GMIME_RFC_COMPLIANCE_LOOSE);
    g_mime_parser_options_set_parameter_compliance_mode(options, GMIME_RFC_COMPLIANCE_LOOSE);
}

GMimeParserOptions* headerOptions() {
    static GMimeParserOptions* const options = [] {
        initGMime();
        GMimeParserOptions* created = g_mime_parser_options_new();
        setReaderOptions(created);
        return created;
    }();
    return options;
}

QString headerText(GMimeObject* obj, const char* name) {
    const char* raw = firstRaw(obj, name);
    return raw ? decodeHeaderText(raw) : QString();
}

void appendAddresses(GMimeObject* obj, const char* name, InternetAddressList* out) {
    forEachRaw(obj, name, [&](const char* raw) {
        GRef<InternetAddressList> list(
            internet_address_list_parse(headerOptions(), joinEncodedWords(raw).constData()));
        if (list) internet_address_list_append(out, list.get());
    });
}

QString partFileName(GMimeObject* part) {
    // GMime's own reading is right unless an encoded word is in it.
    QString name;
    if (const char* raw = firstRaw(part, "Content-Disposition")) {
        if (!strstr(raw, "=?")) {
            GMimeContentDisposition* cd = g_mime_object_get_content_disposition(part);
            name = utf8(cd ? g_mime_content_disposition_get_parameter(cd, "filename") : nullptr);
        } else {
            GRef<GMimeContentDisposition> cd(g_mime_content_disposition_parse(
                headerOptions(), joinEncodedWords(raw).constData()));
            name =
                utf8(cd ? g_mime_content_disposition_get_parameter(cd.get(), "filename") : nullptr);
        }
    }
    if (!name.isEmpty()) return name;
    if (const char* raw = firstRaw(part, "Content-Type")) {
        if (!strstr(raw, "=?")) {
            GMimeContentType* ct = g_mime_object_get_content_type(part);
            name = utf8(ct ? g_mime_content_type_get_parameter(ct, "name") : nullptr);
        } else {
            GRef<GMimeContentType> ct(
                g_mime_content_type_parse(headerOptions(), joinEncodedWords(raw).constData()));
            name = utf8(ct ? g_mime_content_type_get_parameter(ct.get(), "name") : nullptr);
        }
    }
    return name;
}

}  // namespace mime
