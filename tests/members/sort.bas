' Messages.Sort: by the time received both ways, then by subject.
Set oSession = CreateObject("MAPI.Session")
oSession.Logon ShowDialog:=True, NewSession:=True
Set oMsgs = oSession.Inbox.Messages
Sub List(title)
  Debug.Print title;
  For Each oMsg In oMsgs
    Debug.Print " | "; oMsg.Subject;
  Next
  Debug.Print
End Sub
oMsgs.Sort 2
List "received, descending"
oMsgs.Sort 1
List "received, ascending"
oMsgs.Sort 1, "Subject"
List "subject, ascending"
oMsgs.Sort 2, &H0037001E
List "subject (tag), descending"
Debug.Print "first: "; oMsgs.GetFirst.Subject; ", item 1: "; oMsgs(1).Subject
Set oMsg = oMsgs.GetLast
Do While Not oMsg Is Nothing
  Debug.Print "backwards: "; oMsg.Subject
  Set oMsg = oMsgs.GetPrevious
Loop
On Error Resume Next
oMsgs.Sort 3
Debug.Print "order 3:"; Err.Number
