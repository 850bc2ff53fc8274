#include "browser/MessageById.h"

namespace browser {

mapi::Ref<mapi::Message> openMessageById(const TreeContext& cx, const QString& sMsgID,
                                         const QString& sStoreID) {
    mapi::Ref<mapi::Message> oMsg;
    skipOnError([&] { oMsg = cx.session()->GetMessage(sMsgID, sStoreID); });
    auto open = cx.newCode();
    open.line(u"'get an object reference to a message by ID");
    open.line(u"'for more info on getting an item by ID, see the ");  // ends in a space
    open.lines(
        uR"(
'comments on getting an infostore by ID
Set {Message} = {Session}.GetMessage("%1", "%2")

)",
        {sMsgID, sStoreID});
    cx.AppendCode(open);
    if (oMsg) {
        cx.AppendLines(
            uR"(
'make sure we have a valid message
If Not {Message} Is Nothing Then

)");
    }
    return oMsg;
}

mapi::Ref<mapi::Recipients> recipientsOf(const TreeContext& cx,
                                         const mapi::Ref<mapi::Message>& oMsg) {
    mapi::Ref<mapi::Recipients> oRecips;
    skipOnError([&] { oRecips = oMsg->RecipientsOf(); });
    cx.AppendLines(
        uR"(
  'now the get the recipient collection for the message
  Set {Recipients} = {Message}.Recipients

)");
    return oRecips;
}

}  // namespace browser
