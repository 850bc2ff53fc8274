' The Outbox through a fresh logon: the message the window saved, its
' attachments written to out-POSITION.
Set oSession = CreateObject("MAPI.Session")
oSession.Logon ProfileName:="Compose", ProfilePassword:="pw", ShowDialog:=False, NewSession:=True
Set oMsgs = oSession.Outbox.Messages
Debug.Print "Outbox: "; oMsgs.Count
Set oMsg = oMsgs.Item(2)
Debug.Print "Subject: "; oMsg.Subject
Debug.Print "Text: "; oMsg.Text
Debug.Print "Importance: "; oMsg.Importance; "read receipt: "; oMsg.ReadReceipt
For Each oRecip In oMsg.Recipients
    Debug.Print "Recipient: "; oRecip.Name; " type "; oRecip.Type; oRecip.Address
Next
For Each oAttachment In oMsg.Attachments
    Debug.Print "Attachment: "; oAttachment.Position; oAttachment.Name
    oAttachment.WriteToFile "out-" & oAttachment.Position
Next
oSession.Logoff
