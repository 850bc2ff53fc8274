' A named field: kept by the embedded store across a logoff, and held by a
' message not yet saved on either back-end.
Set oSession = CreateObject("MAPI.Session")
oSession.Logon ShowDialog:=True, NewSession:=True
Set oDraft = oSession.Outbox.Messages.Add("Unsaved")
oDraft.Fields.Add "Project", 8, "Apollo"
Debug.Print "unsaved: "; oDraft.Fields("Project").Value
Set oHolding = oSession.InfoStores("Scratch").RootFolder.Folders(1)
Set oNote = oHolding.Messages.Add("Field note", "text")
oNote.Fields.Add "Project", 8, "Gemini"
oNote.Sensitivity = 2
oNote.Update
sId = oNote.ID
oSession.Logoff
oSession.Logon ShowDialog:=True, NewSession:=True
Set oAgain = oSession.GetMessage(sId)
Debug.Print "after logoff: "; oAgain.Subject; " "; oAgain.Fields("Project").Value; ", sensitivity"; oAgain.Sensitivity
On Error Resume Next
oSession.Inbox.Messages(1).Fields.Add "Project", 8, "Mercury"
oSession.Inbox.Messages(1).Update
Debug.Print "update of a received message:"; Err.Number = 0 Or InStr(Err.Description, "A message on the mail server cannot be changed.") = 1
