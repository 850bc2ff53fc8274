#include "browser/FillRecipientDetails.h"

#include "messaging/Objects.h"

namespace browser {

QString displayTypeName(std::int32_t displayType) {
    switch (displayType) {
        case 0:
            return QStringLiteral("CdoUser");
        case 1:
            return QStringLiteral("CdoDistList");
        case 2:
            return QStringLiteral("CdoForum");
        case 3:
            return QStringLiteral("CdoAgent");
        case 4:
            return QStringLiteral("CdoOrganization");
        case 5:
            return QStringLiteral("CdoPrivateDistList");
        case 6:
            return QStringLiteral("CdoRemoteUser");
        default:
            return QString();
    }
}

QString recipientTypeName(std::int32_t type) {
    switch (type) {
        case 1:
            return QStringLiteral("CdoTo");
        case 2:
            return QStringLiteral("CdoCc");
        case 3:
            return QStringLiteral("CdoBcc");
        default:
            return QString();
    }
}

void FillRecipientDetails(const TreeContext& cx, const QString& sMsgID, const QString& sStoreID,
                          const QString& sRecipKey, std::int32_t iIndex) {
    mapi::Ref<mapi::Message> oMsg;
    mapi::Ref<mapi::Recipients> oRecips;
    mapi::Ref<mapi::Recipient> oRecip;

    skipOnError([&] { oMsg = cx.session()->GetMessage(sMsgID, sStoreID); });

    auto open = cx.newCode();
    lineGetMessageById(open, sMsgID, sStoreID);
    cx.AppendCode(open);

    if (oMsg) {
        auto check = cx.newCode();
        check.line(u"'make sure we have a valid message");
        check.line(u"If Not {Message} Is Nothing Then").blank();
        cx.AppendCode(check);

        // Everything after the first "#"; a key without one is taken whole.
        const qsizetype hash = sRecipKey.indexOf(QLatin1Char('#'));
        const QString address = hash >= 0 ? sRecipKey.mid(hash + 1) : sRecipKey;

        skipOnError([&] { oRecips = oMsg->RecipientsOf(); });
        auto recips = cx.newCode();
        recips.line(u"  'now the get the recipient collection for the message");
        recips.line(u"  Set {Recipients} = {Message}.Recipients").blank();
        cx.AppendCode(recips);

        std::int32_t n = 0;
        skipOnError([&] { n = oRecips->Count(); });
        for (std::int32_t i = 1; i <= n && !oRecip; ++i) {
            skipOnError([&] {
                if (oRecips->Item(i)->Address() == address) oRecip = oRecips->Item(i);
            });
        }

        auto search = cx.newCode();
        search.line(u"  'iterate through the recipient collection looking for the recipient");
        search.line(u"  For {Counter} = 1 to {Recipients}.Count");
        search.line(u"    'see if it's the recipient we're looking for");
        search.line(u"    If {Recipients}.Item({Counter}).Address = \"%1\" Then", {address});
        search.line(u"      Set {Recipient} = {Recipients}.Item({Counter})");
        search.line(u"      Exit For");
        search.line(u"    End If");
        search.line(u"  Next {Counter}").blank();
        cx.AppendCode(search);

        if (oRecip) {
            auto match = cx.newCode();
            match.line(u"  'see if there was a match");
            match.line(u"  If Not {Recipient} Is Nothing Then");
            cx.AppendCode(match);

            skipOnError([&] {
                cx.addChild(iIndex, QString(), QStringLiteral("Address:  ") + oRecip->Address(),
                            img::Detail);
            });
            // The type names start empty and are chosen in a step of their own:
            // an unreadable type still gets its node, with nothing after the label.
            QString dispName;
            skipOnError([&] { dispName = displayTypeName(oRecip->DisplayType()); });
            skipOnError([&] {
                cx.addChild(iIndex, QString(), QStringLiteral("Display Type:  ") + dispName,
                            img::Detail);
            });
            skipOnError([&] {
                cx.addChild(iIndex, QString(), QStringLiteral("Name:  ") + oRecip->Name(),
                            img::Detail);
            });
            QString typeName;
            skipOnError([&] { typeName = recipientTypeName(oRecip->Type()); });
            skipOnError([&] {
                cx.addChild(iIndex, QString(), QStringLiteral("Type:  ") + typeName, img::Detail);
            });

            auto print = cx.newCode();
            print.line(u"    'view properties of this recipient");
            print.line(u"    Debug.Print \"Name = \" & {Recipient}.Name");
            print.line(u"  End If").blank();
            cx.AppendCode(print);
        }

        cx.AppendCode(cx.newCode().line(u"End If").blank());
    }

    oMsg.reset();
    oRecips.reset();
    oRecip.reset();
    cx.AppendCode(cx.newCode().line(u"'clear out all your object references when done!").blank());
}

}  // namespace browser
