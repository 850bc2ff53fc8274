#include "browser/FillAllFields.h"

#include <optional>

#include "messaging/Objects.h"
#include "messaging/VbConvert.h"
#include "ui/Dialogs.h"
#include "ui/ErrorBox.h"

namespace browser {

namespace {

// Field.Type as a whole number; nullopt for a Null (or otherwise unusable)
// type, which lies outside every range.
std::optional<std::int32_t> typeCode(const mapi::Variant& v) {
    switch (v.type()) {
        case mapi::VarType::Integer:
            return v.asInteger();
        case mapi::VarType::Long:
            return v.asLong();
        case mapi::VarType::Empty:
            return 0;
        case mapi::VarType::String:
            if (vb::isNumeric(v.asString())) return vb::toLong(v.asString());
            return std::nullopt;
        default:
            return std::nullopt;
    }
}

}  // namespace

QString fieldNodeText(std::int32_t position, std::int32_t id, const QString& name,
                      std::int32_t type, const mapi::Variant& value) {
    QString text = QStringLiteral("Field #") + QString::number(position) + QStringLiteral("; ID=") +
                   QString::number(id) + QStringLiteral("; ");
    text += name.isEmpty() ? QStringLiteral("No Field Name - ") : name + QStringLiteral(":  ");
    if (type == static_cast<int>(mapi::VarType::String)) {
        // Joined as it is; a Null string value joins as nothing.
        if (!value.isNull())
            text += value.type() == mapi::VarType::String ? value.asString() : value.toText();
    } else {
        text += value.toText();
    }
    return text;
}

void FillAllFields(const TreeContext& cx, const QString& sStoreID, const QString& sMsgID,
                   std::int32_t iIndex) {
    try {
        mapi::Ref<mapi::Message> oMsg = cx.session()->GetMessage(sMsgID, sStoreID);

        cx.AppendLines(
            uR"(
'get a reference to the message by ID
Set {Message} = {Session}.GetMessage("%1", "%2")

)",
            {sMsgID, sStoreID});

        if (oMsg) {
            mapi::Ref<mapi::Fields> oFields = oMsg->FieldsOf();
            const std::int32_t count = oFields->Count();
            for (std::int32_t i = 1; i <= count; ++i) {
                mapi::Ref<mapi::Field> oField = oFields->Item(i);
                const std::optional<std::int32_t> type = typeCode(oField->Type());
                if (!type || *type < 2 || *type > 11) continue;
                const std::int32_t id = oField->ID();
                const QString name = oField->Name();
                const QString text = fieldNodeText(i, id, name, *type, oField->Value());
                cx.addChild(iIndex, QString(), text, img::Field);
            }
        }

        // Two lines end in a space, written as strings so that it shows.
        auto walk = cx.newCode();
        walk.lines(
            uR"(
'make absolutely sure we have something
If Not {Message} Is Nothing Then

  'get the fields collection for the message
  Set {Fields} = {Message}.Fields

  'iterate through all the fields
  For {Counter} = 1 To {Fields}.Count

    'make sure the field type is in a range that we can work with
    If {Fields}.Item({Counter}).Type >= 2 And {Fields}.Item({Counter}).Type <= 11 Then

      'check to see if the field has a name; if the field
)");
        walk.line(u"      'is a standard MAPI field, the name property is an ");
        walk.line(u"      'an empty string.  If it's a custom MAPI property, ");
        walk.lines(
            uR"(
      'the name field contains the name of the field.
      If {Fields}.Item({Counter}).Name = "" Then
        debug.print "This field has no name"
      Else
        debug.print "This field name is " & {Fields}.Item({Counter}).Name
      End If

      'if the item's value is a string
      If {Fields}.Item({Counter}).Type = vbString Then
        'plug it directly into a variable
        MyStringVar = {Fields}.Item({Counter}).Value
      Else
        'otherwise, convert it to a string
        MyStringVar = CStr({Fields}.Item({Counter}).Value)
      End If

    End If

    debug.print {Fields}.Item({Counter}).Value
  Next {Counter}
End If

'empty all your object references when done!

)");
        cx.AppendCode(walk);
    } catch (const mapi::Error& e) {
        ui::failureBox(QStringLiteral("There was an error getting field information."), e);
    }
}

}  // namespace browser
