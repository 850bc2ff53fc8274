' Deletes the Inbox's messages one by one.
Set oSession = CreateObject("MAPI.Session")
oSession.Logon ProfileName:="Kill", ShowDialog:=False
For i = 1 To 100000
  Set oMsg = oSession.GetFolder("1001", "00B1").Messages.GetFirst
  If oMsg Is Nothing Then Exit For
  oMsg.Delete
Next i
