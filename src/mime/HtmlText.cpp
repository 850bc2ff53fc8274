#include "mime/HtmlText.h"

#include <gumbo.h>

#include <QRegularExpression>
#include <memory>
#include <vector>

#include "mime/TextLayout.h"

namespace mime {

namespace {

enum class Kind { Inline, Hidden, Break, Image, Control, Block, Paragraph, Preformatted, Cell };

// How a browser's default style sheet lays an element out, as far as text goes.
Kind kindOf(GumboTag tag) {
    switch (tag) {
        // Not shown, or standing in for frames and plug-ins a reader does not load.
        case GUMBO_TAG_HEAD:
        case GUMBO_TAG_TITLE:
        case GUMBO_TAG_SCRIPT:
        case GUMBO_TAG_STYLE:
        case GUMBO_TAG_TEMPLATE:
        case GUMBO_TAG_IFRAME:
        case GUMBO_TAG_NOEMBED:
        case GUMBO_TAG_NOFRAMES:
        case GUMBO_TAG_DATALIST:
            return Kind::Hidden;
        case GUMBO_TAG_BR:
            return Kind::Break;
        case GUMBO_TAG_IMG:
            return Kind::Image;
        case GUMBO_TAG_INPUT:
            return Kind::Control;
        // Set off by a margin: a blank line.
        case GUMBO_TAG_P:
        case GUMBO_TAG_H1:
        case GUMBO_TAG_H2:
        case GUMBO_TAG_H3:
        case GUMBO_TAG_H4:
        case GUMBO_TAG_H5:
        case GUMBO_TAG_H6:
        case GUMBO_TAG_BLOCKQUOTE:
            return Kind::Paragraph;
        case GUMBO_TAG_PRE:
        case GUMBO_TAG_LISTING:
        case GUMBO_TAG_XMP:
        case GUMBO_TAG_PLAINTEXT:
        case GUMBO_TAG_TEXTAREA:
            return Kind::Preformatted;
        case GUMBO_TAG_TD:
        case GUMBO_TAG_TH:
            return Kind::Cell;
        case GUMBO_TAG_ADDRESS:
        case GUMBO_TAG_ARTICLE:
        case GUMBO_TAG_ASIDE:
        case GUMBO_TAG_CAPTION:
        case GUMBO_TAG_CENTER:
        case GUMBO_TAG_DD:
        case GUMBO_TAG_DETAILS:
        case GUMBO_TAG_DIR:
        case GUMBO_TAG_DIV:
        case GUMBO_TAG_DL:
        case GUMBO_TAG_DT:
        case GUMBO_TAG_FIELDSET:
        case GUMBO_TAG_FIGCAPTION:
        case GUMBO_TAG_FIGURE:
        case GUMBO_TAG_FOOTER:
        case GUMBO_TAG_FORM:
        case GUMBO_TAG_HEADER:
        case GUMBO_TAG_HGROUP:
        case GUMBO_TAG_HR:
        case GUMBO_TAG_LEGEND:
        case GUMBO_TAG_LI:
        case GUMBO_TAG_MAIN:
        case GUMBO_TAG_MENU:
        case GUMBO_TAG_NAV:
        case GUMBO_TAG_OL:
        case GUMBO_TAG_OPTGROUP:
        case GUMBO_TAG_OPTION:
        case GUMBO_TAG_SECTION:
        case GUMBO_TAG_SUMMARY:
        case GUMBO_TAG_TABLE:
        case GUMBO_TAG_TR:
        case GUMBO_TAG_UL:
            return Kind::Block;
        default:
            return Kind::Inline;
    }
}

struct OutputDeleter {
    void operator()(GumboOutput* output) const {
        gumbo_destroy_output(&kGumboDefaultOptions, output);
    }
};

std::unique_ptr<GumboOutput, OutputDeleter> parse(const QByteArray& utf8) {
    GumboOptions options = kGumboDefaultOptions;
    // The parse errors of broken mail are of no use here and cost memory.
    options.max_errors = 0;
    return std::unique_ptr<GumboOutput, OutputDeleter>(
        gumbo_parse_with_options(&options, utf8.constData(), static_cast<size_t>(utf8.size())));
}

QByteArray attribute(const GumboNode* element, const char* name) {
    const GumboAttribute* a = gumbo_get_attribute(&element->v.element.attributes, name);
    return a ? QByteArray(a->value).trimmed() : QByteArray();
}

// <meta charset="..."> or <meta http-equiv="Content-Type" content="...; charset=...">.
QByteArray metaCharset(const GumboNode* meta) {
    QByteArray charset = attribute(meta, "charset");
    if (charset.isEmpty() &&
        attribute(meta, "http-equiv").compare("content-type", Qt::CaseInsensitive) == 0) {
        static const QRegularExpression inContent(
            QStringLiteral("charset\\s*=\\s*[\"']?([^\\s\"';]+)"),
            QRegularExpression::CaseInsensitiveOption);
        const QRegularExpressionMatch m =
            inContent.match(QString::fromLatin1(attribute(meta, "content")));
        if (m.hasMatch()) charset = m.captured(1).toLatin1();
    }
    // Bytes that name a 16-bit encoding are not in it; browsers read them as UTF-8.
    const QByteArray lower = charset.toLower();
    if (lower.startsWith("utf-16") || lower == "unicode") return "utf-8";
    if (lower == "x-user-defined") return "windows-1252";
    return charset;
}

class Walk {
  public:
    explicit Walk(const GumboNode* root) { open_.push_back({root, 0, Kind::Inline}); }

    // Iterative, not recursive: broken mail nests elements deeper than a
    // thread's stack would take.
    QString text() {
        while (!open_.empty()) {
            Open& top = open_.back();
            const GumboVector& children = top.node->v.element.children;
            if (top.next < children.length) {
                enter(static_cast<const GumboNode*>(children.data[top.next++]));
                continue;
            }
            leave(top.kind);
            open_.pop_back();
        }
        return layout_.result();
    }

  private:
    struct Open {
        const GumboNode* node;
        unsigned next;
        Kind kind;
    };

    void enter(const GumboNode* node) {
        switch (node->type) {
            case GUMBO_NODE_TEXT:
            case GUMBO_NODE_WHITESPACE:
            case GUMBO_NODE_CDATA:
                layout_.text(node->v.text.text);
                return;
            case GUMBO_NODE_ELEMENT:
                break;
            default:  // comments; a template's contents are never shown
                return;
        }
        const Kind kind = kindOf(node->v.element.tag);
        switch (kind) {
            case Kind::Hidden:
                return;
            case Kind::Break:
                layout_.lineBreak();
                return;
            case Kind::Image:
                // Too small a box shows none of its text: tracking and spacer images.
                if (!tiny(node, "width") && !tiny(node, "height"))
                    box(attribute(node, "alt"));
                else
                    box({});
                return;
            case Kind::Control: {
                const QByteArray type = attribute(node, "type").toLower();
                box(type == "submit" || type == "reset" || type == "button"
                        ? attribute(node, "value")
                        : QByteArray());
                return;
            }
            case Kind::Block:
                layout_.blockEdge(1);
                break;
            case Kind::Paragraph:
                layout_.blockEdge(2);
                break;
            case Kind::Preformatted:
                layout_.blockEdge(2);
                layout_.enterPreformatted();
                break;
            case Kind::Cell:
                layout_.cell();
                break;
            case Kind::Inline:
                break;
        }
        open_.push_back({node, 0, kind});
    }

    // An inline box (an image, a form field): apart from the words around it.
    void box(const QByteArray& text) {
        layout_.text(" ");
        layout_.text(std::string_view(text.constData(), static_cast<size_t>(text.size())));
        layout_.text(" ");
    }

    static bool tiny(const GumboNode* element, const char* dimension) {
        bool isNumber = false;
        const int pixels = attribute(element, dimension).toInt(&isNumber);
        return isNumber && pixels < 10;
    }

    void leave(Kind kind) {
        switch (kind) {
            case Kind::Block:
                layout_.blockEdge(1);
                break;
            case Kind::Paragraph:
                layout_.blockEdge(2);
                break;
            case Kind::Preformatted:
                layout_.leavePreformatted();
                layout_.blockEdge(2);
                break;
            default:
                break;
        }
    }

    std::vector<Open> open_;
    TextLayout layout_;
};

}  // namespace

QString htmlToText(const QString& html) {
    const auto output = parse(html.toUtf8());
    if (!output) return {};
    return Walk(output->root).text();
}

QByteArray htmlDeclaredCharset(const QByteArray& html) {
    // A browser looks only this far; the markup it needs is ASCII, which the
    // parser reads whatever the bytes around it.
    const auto output = parse(html.left(4096));
    if (!output) return {};
    std::vector<const GumboNode*> pending{output->root};
    while (!pending.empty()) {
        const GumboNode* node = pending.back();
        pending.pop_back();
        if (node->type != GUMBO_NODE_ELEMENT) continue;
        if (node->v.element.tag == GUMBO_TAG_META) {
            const QByteArray charset = metaCharset(node);
            if (!charset.isEmpty()) return charset;
        }
        const GumboVector& children = node->v.element.children;
        for (unsigned i = children.length; i-- > 0;)
            pending.push_back(static_cast<const GumboNode*>(children.data[i]));
    }
    return {};
}

}  // namespace mime
