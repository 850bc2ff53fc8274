' Attachments.Add with file data, saved and read back from a new walk.
Set oSession = CreateObject("MAPI.Session")
oSession.Logon ShowDialog:=True, NewSession:=True
Set oMsg = oSession.Outbox.Messages.Add("With data", "See the file.")
Set oAtt = oMsg.Attachments.Add("blob.bin", 0, 1, "blob.bin")
Debug.Print "added "; oAtt.Name; ", type"; oAtt.Type
oMsg.Recipients.Add "Ann Able", "ann@example.com", 1
oMsg.Update
For Each oSaved In oSession.Outbox.Messages
  If oSaved.Subject = "With data" Then
    Debug.Print "read back: "; oSaved.Subject; ","; oSaved.Attachments.Count; "attachment "; oSaved.Attachments(1).Name
    oSaved.Attachments(1).WriteToFile "back_blob.bin"
  End If
Next
On Error Resume Next
Set oMissing = oMsg.Attachments.Add("none", 0, 1, "no such file.bin")
Debug.Print "missing file:"; Err.Number
