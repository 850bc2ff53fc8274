#include <gtest/gtest.h>

#include <QRegularExpression>

#include "codegen/VarNames.h"
#include "compose/ComposeCode.h"

namespace {

QString crlf(const char* text) {
    QString s = QString::fromUtf8(text);
    s.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
    return s;
}

const char* const kAddressDefault =
    R"('make sure you include error trapping in case the Cancel button is clicked!
'open up the address book
'note that you may want to change parameters such as whether to force name resolution, whether to show the CC: and BCC: options, etc.
Set oRecip = oSession.AddressBook(Recipients:=oRecips, Title:="My Title", OneAddress:=False, ForceResolution:=True, RecipLists:=3, toLabel:="TO:", ccLabel:="CC:", bccLabel:="BCC:")

'if something was chosen
If Not oRecip Is Nothing Then

  'make the assignment of the address book to the recipient collection variable
  Set oRecips = oRecip

  'iterate through the collection
  For iLooper = 1 To oRecip.Count
    'recip info - name and type; 1=TO:, 2=CC:, 3=BCC:
    debug.print oRecips.Item(iLooper).Name, oRecips.Item(iLooper).Type
  Next iLooper

End If

)";

const char* const kSendDefault = R"('add a new message to the outbox
Set oMsg = oSession.Outbox.Messages.Add

'add all the info to the message
With oMsg
  'set the subject
  .subject = "SUBJECT"
  'set the text
  .Text = "BODY"

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
  For iLooper = 1 To oRecips.Count
    'add each recipient to the messages recipient collection
    Set oRecip = oMsg.Recipients.Add(Name:=oRecips.Item(iLooper).Name, Type:=oRecips.Item(iLooper).Type)
    'if there was an error adding this person to the message's recipient collection
    If oRecip Is Nothing Then
      'error handling for not being able to add a recipient
    Else
      'each address name needs to be resolved or an error will occur
      oRecip.Resolve
    End If
  Next iLooper

  'add the attachment object
  Set oAttachment = .Attachments.Add
  'make sure it got added okay
  If oAttachment Is Nothing Then
    'error handling for unable to add attachment
  Else
    'we got the attachment; set it's properties and read it from the file
    With oAttachment
      .Type = 1  'file attachment; other numbers correspond to other attachment types
      .Name = MyAttachmentName 'display name of attachment
    End With
    'for some reason, this cannot be called from within the With...End With
    'function; if you do, it fails
    oAttachment.ReadFromFile MyFullyQualifiedAttachmentName 'read it into the message
  End If

  'update the message to actually stick it in the OutBox
  .Update

  'here's where we'd actually send it
  .Send

End With

'empty your object references when done!

)";

QString sendExpected(const QString& subject, const QString& body) {
    QString s = crlf(kSendDefault);
    s.replace(QStringLiteral("\"SUBJECT\""), QLatin1Char('"') + subject + QLatin1Char('"'));
    s.replace(QStringLiteral("\"BODY\""), QLatin1Char('"') + body + QLatin1Char('"'));
    return s;
}

int numberedLines(const QString& text) {
    // Numbered lines are the non-empty ones; the empty ones are the doubled breaks.
    int n = 0;
    for (const QString& l : text.split(QStringLiteral("\r\n"))) n += l.isEmpty() ? 0 : 1;
    return n;
}

TEST(ComposeCode, AddressBlockIsFourteenLinesByteForByte) {
    codegen::VarNames names;
    const QString code = compose::addressBookCode(names);
    EXPECT_EQ(code, crlf(kAddressDefault));
    EXPECT_EQ(numberedLines(code), 14);
    EXPECT_FALSE(code.contains(QRegularExpression(QStringLiteral("[^\r]\n"))));
}

TEST(ComposeCode, AddressBlockSpellsRenamedVariables) {
    codegen::VarNames names;
    names.rename(codegen::Var::Recipient, QStringLiteral("oPicked"));
    names.rename(codegen::Var::Recipients, QStringLiteral("colRecips"));
    names.rename(codegen::Var::Session, QStringLiteral("objSess"));
    names.rename(codegen::Var::Counter, QStringLiteral("i"));
    QString expected = crlf(kAddressDefault);
    expected.replace(QStringLiteral("oRecips"), QStringLiteral("colRecips"));
    expected.replace(QStringLiteral("oRecip "), QStringLiteral("oPicked "));
    expected.replace(QStringLiteral("oRecip."), QStringLiteral("oPicked."));
    expected.replace(QStringLiteral("= oRecip\r\n"), QStringLiteral("= oPicked\r\n"));
    expected.replace(QStringLiteral("oSession"), QStringLiteral("objSess"));
    expected.replace(QStringLiteral("iLooper"), QStringLiteral("i"));
    EXPECT_EQ(compose::addressBookCode(names), expected);
    // Result into {Recipient}, copied to {Recipients}; bound from {Recipient}, items from
    // {Recipients}.
    EXPECT_TRUE(expected.contains(
        QStringLiteral("Set oPicked = objSess.AddressBook(Recipients:=colRecips,")));
    EXPECT_TRUE(expected.contains(QStringLiteral("  Set colRecips = oPicked\r\n")));
    EXPECT_TRUE(expected.contains(QStringLiteral("  For i = 1 To oPicked.Count\r\n")));
}

TEST(ComposeCode, SendBlockIsFiftySevenLinesByteForByte) {
    codegen::VarNames names;
    const QString code = compose::sendCode(names, QStringLiteral("Hello"), QStringLiteral("World"));
    EXPECT_EQ(code, sendExpected(QStringLiteral("Hello"), QStringLiteral("World")));
    EXPECT_EQ(numberedLines(code), 57);
    EXPECT_TRUE(code.startsWith(QStringLiteral("'add a new message to the outbox\r\nSet oMsg = ")));
    EXPECT_TRUE(code.endsWith(QStringLiteral("'empty your object references when done!\r\n\r\n")));
}

TEST(ComposeCode, SendBlockWritesSubjectAndTextAsValidLiterals) {
    codegen::VarNames names;
    const QString subject = QStringLiteral("Say \"hi\" {Message} %1");
    const QString body = QStringLiteral("line one\r\nline \"two\"\r\n");
    const QString code = compose::sendCode(names, subject, body);
    EXPECT_EQ(
        code,
        sendExpected(QStringLiteral("Say \"\"hi\"\" {Message} %1"),
                     QStringLiteral("line one\" & vbCrLf & \"line \"\"two\"\"\" & vbCrLf & \"")));
    EXPECT_TRUE(code.contains(QStringLiteral("  .subject = \"Say \"\"hi\"\" {Message} %1\"\r\n")));
    EXPECT_TRUE(code.contains(QStringLiteral(
        "  .Text = \"line one\" & vbCrLf & \"line \"\"two\"\"\" & vbCrLf & \"\"\r\n\r\n")));
}

TEST(ComposeCode, SendBlockSpellsRenamedVariables) {
    codegen::VarNames names;
    names.rename(codegen::Var::Message, QStringLiteral("m"));
    names.rename(codegen::Var::Session, QStringLiteral("s"));
    names.rename(codegen::Var::Recipients, QStringLiteral("rs"));
    names.rename(codegen::Var::Recipient, QStringLiteral("r"));
    names.rename(codegen::Var::Counter, QStringLiteral("n"));
    names.rename(codegen::Var::Attachment, QStringLiteral("a"));
    const QString code = compose::sendCode(names, QStringLiteral("S"), QStringLiteral("T"));
    EXPECT_TRUE(code.contains(QStringLiteral("\r\nSet m = s.Outbox.Messages.Add\r\n\r\n")));
    EXPECT_TRUE(code.contains(QStringLiteral("\r\nWith m\r\n")));
    EXPECT_TRUE(code.contains(QStringLiteral("\r\n  For n = 1 To rs.Count\r\n")));
    EXPECT_TRUE(code.contains(QStringLiteral(
        "\r\n    Set r = m.Recipients.Add(Name:=rs.Item(n).Name, Type:=rs.Item(n).Type)\r\n")));
    EXPECT_TRUE(code.contains(QStringLiteral("\r\n    If r Is Nothing Then\r\n")));
    EXPECT_TRUE(code.contains(QStringLiteral("\r\n      r.Resolve\r\n")));
    EXPECT_TRUE(code.contains(QStringLiteral("\r\n  Next n\r\n\r\n")));
    EXPECT_TRUE(code.contains(QStringLiteral("\r\n  Set a = .Attachments.Add\r\n")));
    EXPECT_TRUE(code.contains(QStringLiteral("\r\n    With a\r\n")));
    EXPECT_TRUE(
        code.contains(QStringLiteral("\r\n    a.ReadFromFile MyFullyQualifiedAttachmentName")));
    EXPECT_FALSE(code.contains(QStringLiteral("oMsg")));
    EXPECT_FALSE(code.contains(QStringLiteral("oRecip")));
    EXPECT_FALSE(code.contains(QStringLiteral("iLooper")));
    EXPECT_FALSE(code.contains(QStringLiteral("oAttachment")));
}

}  // namespace
