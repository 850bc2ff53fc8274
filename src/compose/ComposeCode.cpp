#include "compose/ComposeCode.h"

#include "codegen/CodeBuilder.h"

namespace compose {

QString addressBookCode(const codegen::VarNames& names) {
    return codegen::Code(names)
        .lines(
            uR"(
'make sure you include error trapping in case the Cancel button is clicked!
'open up the address book
'note that you may want to change parameters such as whether to force name resolution, whether to show the CC: and BCC: options, etc.
Set {Recipient} = {Session}.AddressBook(Recipients:={Recipients}, Title:="My Title", OneAddress:=False, ForceResolution:=True, RecipLists:=3, toLabel:="TO:", ccLabel:="CC:", bccLabel:="BCC:")

'if something was chosen
If Not {Recipient} Is Nothing Then

  'make the assignment of the address book to the recipient collection variable
  Set {Recipients} = {Recipient}

  'iterate through the collection
  For {Counter} = 1 To {Recipient}.Count
    'recip info - name and type; 1=TO:, 2=CC:, 3=BCC:
    debug.print {Recipients}.Item({Counter}).Name, {Recipients}.Item({Counter}).Type
  Next {Counter}

End If

)")
        .text();
}

QString sendCode(const codegen::VarNames& names, const QString& subject, const QString& bodyText) {
    return codegen::Code(names)
        .lines(
            uR"(
'add a new message to the outbox
Set {Message} = {Session}.Outbox.Messages.Add

'add all the info to the message
With {Message}
  'set the subject
  .subject = "%1"
  'set the text
  .Text = "%2"

  'set the message importance
  If MyLowImportanceVar = True Then
    .importance = 0
  ElseIf MyMediumImportanceVar = True Then
    .importance = 1
  Else
    .importance = 2
  End If

 'delivery receipt
  If MyDeliveryReceiptVar = True Then
    .DeliveryReceipt = True
  End If

  'read receipt
  If MyReadReceiptVar = True Then
    .ReadReceipt = True
  End If

  'add all the recipients
  For {Counter} = 1 To {Recipients}.Count
    'add each recipient to the messages recipient collection
    Set {Recipient} = {Message}.Recipients.Add(Name:={Recipients}.Item({Counter}).Name, Type:={Recipients}.Item({Counter}).Type)
    'if there was an error adding this person to the message's recipient collection
    If {Recipient} Is Nothing Then
      'error handling for not being able to add a recipient
    Else
      'each address name needs to be resolved or an error will occur
      {Recipient}.Resolve
    End If
  Next {Counter}

  'add the attachment object
  Set {Attachment} = .Attachments.Add
  'make sure it got added okay
  If {Attachment} Is Nothing Then
    'error handling for unable to add attachment
  Else
    'we got the attachment; set it's properties and read it from the file
    With {Attachment}
      .Type = 1  'file attachment; other numbers correspond to other attachment types
      .Name = MyAttachmentName 'display name of attachment
    End With
    'for some reason, this cannot be called from within the With...End With
    'function; if you do, it fails
    {Attachment}.ReadFromFile MyFullyQualifiedAttachmentName 'read it into the message
  End If

  'update the message to actually stick it in the OutBox
  .Update

  'here's where we'd actually send it
  .Send

End With

'empty your object references when done!

)",
            {subject, bodyText})
        .text();
}

}  // namespace compose
