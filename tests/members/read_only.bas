' Under --read-only (read_only.args) every new write fails before it changes
' anything, on either back-end.
Set oSession = CreateObject("MAPI.Session")
oSession.Logon ShowDialog:=True, NewSession:=True
Set oInbox = oSession.Inbox
Set oTop = oInbox.Parent
Set oHolding = oSession.InfoStores("Scratch").RootFolder.Folders(1)
Set oMsg = oInbox.Messages(1)
Set oSent = oSession.GetDefaultFolder(3)
On Error Resume Next
Sub Try(title)
  Debug.Print title; ":"; Err.Number; " "; Left(Err.Description, 27)
  Err.Clear
End Sub
oTop.Folders.Add "New"
Try "folder add"
oSent.Delete
Try "folder delete"
Set x = oSent.CopyTo(oHolding.ID)
Try "folder copy"
Set x = oSent.MoveTo(oHolding.ID)
Try "folder move"
Set x = oMsg.CopyTo(oHolding.ID)
Try "message copy"
Set x = oMsg.MoveTo(oSent.ID)
Try "message move"
oInbox.Messages.Delete
Try "messages delete"
On Error GoTo 0
Debug.Print "inbox"; oInbox.Messages.Count; ", sent"; oSent.Messages.Count; ", holding"; oHolding.Messages.Count; oHolding.Folders.Count; ", top"; oTop.Folders.Count
