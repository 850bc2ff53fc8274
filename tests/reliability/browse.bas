' Browses and filters the Inbox for SECONDS seconds, printing every error it meets.
Set oSession = CreateObject("MAPI.Session")
oSession.Logon ProfileName:="Kill", ShowDialog:=False
On Error Resume Next
t0 = Timer
n = 0
Do While Timer - t0 < SECONDS
  n = n + 1
  Set oMsgs = Nothing
  Set oMsgs = oSession.GetFolder("1001", "00B1").Messages
  If Err.Number <> 0 Then
    Debug.Print "error " & Err.Number & ": " & Err.Description
    Err.Clear
  End If
  If Not oMsgs Is Nothing Then
    Set oFilter = oMsgs.Filter
    oFilter.Subject = "Inbox 1"
    Set oMsg = oMsgs.GetFirst
    For j = 1 To 100
      If Err.Number <> 0 Then
        Debug.Print "error " & Err.Number & ": " & Err.Description
        Err.Clear
      End If
      If oMsg Is Nothing Then Exit For
      s = oMsg.Subject & oMsg.Recipients.Count
      Set oNext = Nothing
      Set oNext = oMsgs.GetNext
      Set oMsg = oNext
    Next j
  End If
  If Err.Number <> 0 Then
    Debug.Print "error " & Err.Number & ": " & Err.Description
    Err.Clear
  End If
Loop
Debug.Print "browsed " & n
