#include "browser/FillRecipientDetails.h"

#include "browser/MessageById.h"

namespace browser {

namespace {

// The name of `value` in a list of names for first, first + 1, ...; "" for a
// value outside it.
template <std::size_t N>
QString nameOf(std::int32_t value, std::int32_t first, const char* const (&names)[N]) {
    const std::int64_t at = std::int64_t{value} - first;
    return at >= 0 && at < std::int64_t{N} ? QString::fromLatin1(names[at]) : QString();
}

}  // namespace

QString displayTypeName(std::int32_t displayType) {
    static const char* const kNames[] = {"CdoUser",      "CdoDistList",     "CdoForum",
                                         "CdoAgent",     "CdoOrganization", "CdoPrivateDistList",
                                         "CdoRemoteUser"};
    return nameOf(displayType, 0, kNames);
}

QString recipientTypeName(std::int32_t type) {
    static const char* const kNames[] = {"CdoTo", "CdoCc", "CdoBcc"};
    return nameOf(type, 1, kNames);
}

void FillRecipientDetails(const TreeContext& cx, const QString& sMsgID, const QString& sStoreID,
                          const QString& sRecipKey, std::int32_t iIndex) {
    mapi::Ref<mapi::Message> oMsg;
    mapi::Ref<mapi::Recipients> oRecips;
    mapi::Ref<mapi::Recipient> oRecip;

    oMsg = openMessageById(cx, sMsgID, sStoreID);
    if (oMsg) {
        // Everything after the first "#"; a key without one is taken whole.
        const qsizetype hash = sRecipKey.indexOf(QLatin1Char('#'));
        const QString address = hash >= 0 ? sRecipKey.mid(hash + 1) : sRecipKey;

        oRecips = recipientsOf(cx, oMsg);

        std::int32_t n = 0;
        skipOnError([&] { n = oRecips->Count(); });
        for (std::int32_t i = 1; i <= n && !oRecip; ++i) {
            skipOnError([&] {
                if (oRecips->Item(i)->Address() == address) oRecip = oRecips->Item(i);
            });
        }

        cx.AppendLines(
            uR"(
  'iterate through the recipient collection looking for the recipient
  For {Counter} = 1 to {Recipients}.Count
    'see if it's the recipient we're looking for
    If {Recipients}.Item({Counter}).Address = "%1" Then
      Set {Recipient} = {Recipients}.Item({Counter})
      Exit For
    End If
  Next {Counter}

)",
            {address});

        if (oRecip) {
            cx.AppendLines(
                uR"(
  'see if there was a match
  If Not {Recipient} Is Nothing Then
)");

            // A detail that cannot be read gets no node. The type names start
            // empty and are chosen in a step of their own: an unreadable type
            // still gets its node, with nothing after the label.
            const auto detail = [&](const char16_t* label, const auto& read) {
                skipOnError([&] {
                    cx.addChild(iIndex, QString(), QString::fromUtf16(label) + read(), img::Detail);
                });
            };
            QString dispName;
            QString typeName;
            detail(u"Address:  ", [&] { return oRecip->Address(); });
            skipOnError([&] { dispName = displayTypeName(oRecip->DisplayType()); });
            detail(u"Display Type:  ", [&] { return dispName; });
            detail(u"Name:  ", [&] { return oRecip->Name(); });
            skipOnError([&] { typeName = recipientTypeName(oRecip->Type()); });
            detail(u"Type:  ", [&] { return typeName; });

            cx.AppendLines(
                uR"(
    'view properties of this recipient
    Debug.Print "Name = " & {Recipient}.Name
  End If

)");
        }

        cx.AppendCode(cx.newCode().line(u"End If").blank());
    }

    oMsg.reset();
    oRecips.reset();
    oRecip.reset();
    cx.AppendCode(cx.newCode().line(u"'clear out all your object references when done!").blank());
}

}  // namespace browser
