#include "compose/ComposeCode.h"

#include "codegen/CodeBuilder.h"

namespace compose {

QString addressBookCode(const codegen::VarNames& names) {
    codegen::Code c(names);
    c.line(u"'make sure you include error trapping in case the Cancel button is clicked!");
    c.line(u"'open up the address book");
    c.line(
        u"'note that you may want to change parameters such as whether to force name resolution, "
        u"whether to show the CC: and BCC: options, etc.");
    c.line(
         u"Set {Recipient} = {Session}.AddressBook(Recipients:={Recipients}, Title:=\"My Title\", "
         u"OneAddress:=False, ForceResolution:=True, RecipLists:=3, toLabel:=\"TO:\", "
         u"ccLabel:=\"CC:\", bccLabel:=\"BCC:\")")
        .blank();
    c.line(u"'if something was chosen");
    c.line(u"If Not {Recipient} Is Nothing Then").blank();
    c.line(u"  'make the assignment of the address book to the recipient collection variable");
    c.line(u"  Set {Recipients} = {Recipient}").blank();
    c.line(u"  'iterate through the collection");
    c.line(u"  For {Counter} = 1 To {Recipient}.Count");
    c.line(u"    'recip info - name and type; 1=TO:, 2=CC:, 3=BCC:");
    c.line(u"    debug.print {Recipients}.Item({Counter}).Name, {Recipients}.Item({Counter}).Type");
    c.line(u"  Next {Counter}").blank();
    c.line(u"End If").blank();
    return c.text();
}

QString sendCode(const codegen::VarNames& names, const QString& subject, const QString& bodyText) {
    codegen::Code c(names);
    c.line(u"'add a new message to the outbox");
    c.line(u"Set {Message} = {Session}.Outbox.Messages.Add").blank();
    c.line(u"'add all the info to the message");
    c.line(u"With {Message}");
    c.line(u"  'set the subject");
    c.line(u"  .subject = \"%1\"", {subject});
    c.line(u"  'set the text");
    c.line(u"  .Text = \"%1\"", {bodyText}).blank();
    c.line(u"  'set the message importance");
    c.line(u"  If MyLowImportanceVar = True Then");
    c.line(u"    .importance = 0");
    c.line(u"  ElseIf MyMediumImportanceVar = True Then");
    c.line(u"    .importance = 1");
    c.line(u"  Else");
    c.line(u"    .importance = 2");
    c.line(u"  End If").blank();
    c.line(u" 'delivery receipt");
    c.line(u"  If MyDeliveryReceiptVar = True Then");
    c.line(u"    .DeliveryReceipt = True");
    c.line(u"  End If").blank();
    c.line(u"  'read receipt");
    c.line(u"  If MyReadReceiptVar = True Then");
    c.line(u"    .ReadReceipt = True");
    c.line(u"  End If").blank();
    c.line(u"  'add all the recipients");
    c.line(u"  For {Counter} = 1 To {Recipients}.Count");
    c.line(u"    'add each recipient to the messages recipient collection");
    c.line(
        u"    Set {Recipient} = {Message}.Recipients.Add(Name:={Recipients}.Item({Counter}).Name, "
        u"Type:={Recipients}.Item({Counter}).Type)");
    c.line(u"    'if there was an error adding this person to the message's recipient collection");
    c.line(u"    If {Recipient} Is Nothing Then");
    c.line(u"      'error handling for not being able to add a recipient");
    c.line(u"    Else");
    c.line(u"      'each address name needs to be resolved or an error will occur");
    c.line(u"      {Recipient}.Resolve");
    c.line(u"    End If");
    c.line(u"  Next {Counter}").blank();
    c.line(u"  'add the attachment object");
    c.line(u"  Set {Attachment} = .Attachments.Add");
    c.line(u"  'make sure it got added okay");
    c.line(u"  If {Attachment} Is Nothing Then");
    c.line(u"    'error handling for unable to add attachment");
    c.line(u"  Else");
    c.line(u"    'we got the attachment; set it's properties and read it from the file");
    c.line(u"    With {Attachment}");
    c.line(
        u"      .Type = 1  'file attachment; other numbers correspond to other attachment types");
    c.line(u"      .Name = MyAttachmentName 'display name of attachment");
    c.line(u"    End With");
    c.line(u"    'for some reason, this cannot be called from within the With...End With");
    c.line(u"    'function; if you do, it fails");
    c.line(
        u"    {Attachment}.ReadFromFile MyFullyQualifiedAttachmentName 'read it into the message");
    c.line(u"  End If").blank();
    c.line(u"  'update the message to actually stick it in the OutBox");
    c.line(u"  .Update").blank();
    c.line(u"  'here's where we'd actually send it");
    c.line(u"  .Send").blank();
    c.line(u"End With").blank();
    c.line(u"'empty your object references when done!").blank();
    return c.text();
}

}  // namespace compose
