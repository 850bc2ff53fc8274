#include "browser/FillMsgFields.h"

#include <functional>

#include "browser/MessageById.h"

namespace browser {

namespace {

struct Property {
    const char16_t* label;
    int image;
    QString (*read)(mapi::Message&);
    const char16_t* line;
};

const Property kProperties[] = {
    {u"Conversation Index:  ", img::Property,
     [](mapi::Message& m) { return m.ConversationIndex(); },
     u"  debug.print {Message}.ConversationIndex"},
    {u"Conversation Topic:  ", img::Property,
     [](mapi::Message& m) { return m.ConversationTopic(); },
     u"  debug.print {Message}.ConversationTopic"},
    {u"Importance:  ", img::Property, [](mapi::Message& m) { return m.Importance().toText(); },
     u"  debug.print CStr({Message}.Importance)"},
    {u"Sender:  ", img::Sender, [](mapi::Message& m) { return m.Sender()->Name(); },
     u"  debug.print {Message}.Sender.Name"},
    {u"Size:  ", img::Property, [](mapi::Message& m) { return m.Size().toText(); },
     u"  debug.print CStr({Message}.Size)"},
    {u"Subject:  ", img::Property, [](mapi::Message& m) { return m.Subject(); },
     u"  debug.print {Message}.Subject"},
    {u"Text:  ", img::Property, [](mapi::Message& m) { return m.Text(); },
     u"  debug.print {Message}.Text"},
    {u"Time Received:  ", img::Property, [](mapi::Message& m) { return m.TimeReceived().toText(); },
     u"  debug.print CStr({Message}.TimeReceived)"},
    {u"Time Sent:  ", img::Property, [](mapi::Message& m) { return m.TimeSent().toText(); },
     u"  debug.print CStr({Message}.TimeSent)"},
    {u"Type:  ", img::Property, [](mapi::Message& m) { return m.Type(); },
     u"  debug.print {Message}.Type"},
    {u"Unread:  ", img::Property, [](mapi::Message& m) { return m.Unread().toText(); },
     u"  debug.print CStr({Message}.Unread)"},
};

QString recipientPrefix(std::int32_t type, const QString& current) {
    switch (type) {
        case 1:
            return QStringLiteral("TO:  ");
        case 2:
            return QStringLiteral("CC:  ");
        case 3:
            return QStringLiteral("BCC:  ");
        default:
            return current;
    }
}

}  // namespace

void FillMsgFields(const TreeContext& cx, const QString& sStoreID, const QString& sMsgID,
                   std::int32_t iIndex) {
    mapi::Ref<mapi::Message> oMsg;
    mapi::Ref<mapi::Attachments> oAtts;
    mapi::Ref<mapi::Recipients> oRecips;

    oMsg = openMessageById(cx, sMsgID, sStoreID);
    if (oMsg) {
        std::int32_t attIndex = 0;
        std::int32_t recipIndex = 0;
        skipOnError([&] {
            attIndex =
                cx.addChild(iIndex, QString(), QStringLiteral("Attachments"), img::AttachGroup);
        });

        const std::size_t count = std::size(kProperties);
        for (std::size_t i = 0; i < count; ++i) {
            const Property& p = kProperties[i];
            skipOnError([&] {
                const QString value = p.read(*oMsg);
                cx.addChild(iIndex, QString(), QString::fromUtf16(p.label) + value, p.image);
            });
            auto line = cx.newCode();
            line.line(p.line);
            if (i + 1 == count) line.blank();
            cx.AppendCode(line);
        }

        skipOnError([&] {
            recipIndex =
                cx.addChild(iIndex, QString(), QStringLiteral("Recipients"), img::RecipGroup);
        });
        skipOnError([&] {
            cx.addChild(iIndex, QString(), QStringLiteral("All Fields"), img::FieldsGroup);
        });

        skipOnError([&] { oAtts = oMsg->AttachmentsOf(); });

        cx.AppendLines(
            uR"(
  'now get all the attachments (if any) for the message
  Set {Attachments} = {Message}.Attachments

)");

        if (oAtts) {
            std::int32_t n = 0;
            skipOnError([&] { n = oAtts->Count(); });
            for (std::int32_t i = 1; i <= n; ++i)
                skipOnError([&] {
                    cx.addChild(attIndex, QString(), oAtts->Item(i)->Name(), img::Attachment);
                });
        }

        cx.AppendLines(
            uR"(
  'if we have some attachments
  If Not {Attachments} Is Nothing Then
    'iterate through the attachment collection
    For {Counter} = 1 To {Attachments}.Count
      debug.print {Attachments}.Item({Counter}).Name
    Next {Counter}
  End If

)");

        oRecips = recipientsOf(cx, oMsg);

        std::int32_t n = 0;
        skipOnError([&] { n = oRecips->Count(); });
        QString prefix;
        for (std::int32_t i = 1; i <= n; ++i) {
            skipOnError([&] { prefix = recipientPrefix(oRecips->Item(i)->Type(), prefix); });
            skipOnError([&] {
                const QString address = oRecips->Item(i)->Address();
                const QString name = oRecips->Item(i)->Name();
                cx.addChild(recipIndex, sMsgID + QLatin1Char('#') + address, prefix + name,
                            img::Recipient);
            });
        }

        cx.AppendLines(
            uR"(
  'iterate through the recipient collection
  For {Counter} = 1 To {Recipients}.Count
    'recipient types are 1=TO:, 2=CC:, and 3=BCC:
    debug.print {Recipients}.Item({Counter}).Name, {Recipients}.Item({Counter}).Type
  Next {Counter}
End If

)");
    }

    oMsg.reset();
    oAtts.reset();
    oRecips.reset();
    cx.AppendCode(cx.newCode().line(u"'clear out all your object references when done!").blank());
}

}  // namespace browser
