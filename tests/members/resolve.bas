' Recipient.Resolve against the profile's address lists, on a new message of
' the default store.
Set oSession = CreateObject("MAPI.Session")
oSession.Logon ShowDialog:=True, NewSession:=True
Set oMsg = oSession.Outbox.Messages.Add("Resolving")
On Error Resume Next
For Each sName In Array("Jo Doe", "Nobody Known", "ann")
  Err.Clear
  Set oRecip = oMsg.Recipients.Add(sName)
  oRecip.Resolve
  If Err.Number = 0 Then
    Debug.Print sName; ": "; oRecip.Name; " <"; oRecip.Address; ">"
  Else
    Debug.Print sName; ":"; Err.Number; oRecip.Name
  End If
Next
