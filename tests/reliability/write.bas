' Deletes from the Inbox and saves to the Outbox for SECONDS seconds, printing every error it meets.
Set oSession = CreateObject("MAPI.Session")
oSession.Logon ProfileName:="Kill", ShowDialog:=False
On Error Resume Next
t0 = Timer
n = 0
Do While Timer - t0 < SECONDS
  n = n + 1
  Set oMsg = Nothing
  Set oMsg = oSession.GetFolder("1001", "00B1").Messages.GetFirst
  If Err.Number <> 0 Then
    Debug.Print "error " & Err.Number & ": " & Err.Description
    Err.Clear
  End If
  If Not oMsg Is Nothing Then oMsg.Delete
  If Err.Number <> 0 Then
    Debug.Print "error " & Err.Number & ": " & Err.Description
    Err.Clear
  End If
  Set oNew = oSession.Outbox.Messages.Add
  oNew.Subject = "Saved " & n
  For j = 1 To 3
    Set oRecip = oNew.Recipients.Add(Name:="To " & j, Type:=1)
    oRecip.Address = "to@example.com"
  Next j
  For j = 1 To 2
    Set oAtt = oNew.Attachments.Add
    oAtt.Name = "a.bin"
    oAtt.ReadFromFile "attachment.bin"
  Next j
  oNew.Update
  If Err.Number <> 0 Then
    Debug.Print "error " & Err.Number & ": " & Err.Description
    Err.Clear
  End If
  ' A pause between writes, as a user makes: others get their turn at the store.
  t1 = Timer
  Do While Timer - t1 < 0.03
  Loop
Loop
Debug.Print "wrote " & n
