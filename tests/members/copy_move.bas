' Copies and moves of messages and folders, within the default store and
' between it and the embedded store "Scratch" (the other back-end for an
' IMAP profile).
Set oSession = CreateObject("MAPI.Session")
oSession.Logon ShowDialog:=True, NewSession:=True
Set oInbox = oSession.Inbox
Set oTop = oInbox.Parent
Set oScratch = oSession.InfoStores("Scratch")
Set oHolding = oScratch.RootFolder.Folders(1)
Function Subjects(oFolder)
  Dim s
  Set oMsgs = oFolder.Messages
  oMsgs.Sort 1, "Subject"
  For Each oMsg In oMsgs
    s = s & " | " & oMsg.Subject
  Next
  Subjects = oFolder.Name & ":" & s
End Function
Sub Describe(oMsg)
  Debug.Print "  "; oMsg.Subject; " from "; oMsg.Sender.Name; " <"; oMsg.Sender.Address; ">, ";
  Debug.Print oMsg.Recipients.Count; "recipients,"; oMsg.Attachments.Count; "attachments, unread "; oMsg.Unread
  Debug.Print "  text: "; Replace(oMsg.Text, vbCrLf, "/")
End Sub

Set oKept = oTop.Folders.Add("Kept")
Debug.Print "added "; oKept.Name; " below the top folder: "; oKept.Parent.ID = oTop.ID
On Error Resume Next
oTop.Folders.Add "Kept"
Debug.Print "added twice:"; Err.Number
Err.Clear
On Error GoTo 0

Set oIn = oInbox.Messages
oIn.Sort 1
Set oStatus = oIn(1)
Set oAgenda = oIn(2)
Set oCopy = oStatus.CopyTo(oKept.ID)
Debug.Print "copied within the store:"
Describe oCopy
Set oMoved = oAgenda.MoveTo(oKept.ID, oKept.Parent.Parent.ID)
Debug.Print "moved within the store:"
Describe oMoved
Debug.Print Subjects(oInbox)
Debug.Print Subjects(oKept)

Set oOver = oMoved.CopyTo(oHolding.ID, oScratch.ID)
Debug.Print "copied to Scratch:"
Describe oOver
oOver.Attachments(1).WriteToFile "back_agenda.bin"
Set oBack = oOver.MoveTo(oInbox.ID)
Debug.Print "moved back from Scratch:"
Describe oBack
Debug.Print Subjects(oHolding)
Debug.Print Subjects(oInbox)

Set oPlan = oTop.Folders(1)
For Each oF In oTop.Folders
  If oF.Name = "Projects" Then Set oPlan = oF
Next
Set oCopied = oPlan.CopyTo(oHolding.ID, oScratch.ID, "Projects copy")
Debug.Print "folder copied: "; oCopied.Name; " in "; oCopied.Parent.Name; ", "; Subjects(oCopied)
Set oHere = oCopied.MoveTo(oKept.ID)
Debug.Print "folder moved back: "; oHere.Name; " in "; oHere.Parent.Name; ", "; Subjects(oHere)
Debug.Print "Holding has"; oHolding.Folders.Count; "folders"
oKept.Messages.Delete
Debug.Print "after Messages.Delete: "; Subjects(oKept)
oKept.Delete
For Each oF In oTop.Folders
  If oF.Name = "Kept" Then Debug.Print "Kept is still there"
Next
Debug.Print "Kept deleted"
