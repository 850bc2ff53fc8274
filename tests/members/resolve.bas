' Recipient.Resolve against the profile's address lists, on a new message of
' the default store.
Set oSession = CreateObject("MAPI.Session")
oSession.Logon ShowDialog:=True, NewSession:=True
Set oMsg = oSession.Outbox.Messages.Add("Resolving")
On Error Resume Next
For Each sName In Array("Jo", "Nobody Known", "ann")
  Err.Clear
  Set oRecip = oMsg.Recipients.Add(sName)
  oRecip.Resolve
  Debug.Print sName; ":"; Err.Number; " "; oRecip.Name; " <"; oRecip.Address; ">"
Next
