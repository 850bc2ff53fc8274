' Reply, ReplyAll and Forward: unsaved messages in the Outbox.
Set oSession = CreateObject("MAPI.Session")
oSession.Logon ShowDialog:=True, NewSession:=True
Set oMsgs = oSession.Inbox.Messages
Sub Show(title, oNew)
  Debug.Print "== "; title; ": "; oNew.Subject; " in "; oNew.Parent.Name
  For Each oRecip In oNew.Recipients
    Debug.Print "  to"; oRecip.Type; oRecip.Name; " <"; oRecip.Address; ">"
  Next
  Debug.Print "  attachments:"; oNew.Attachments.Count
  Debug.Print oNew.Text
End Sub
oMsgs.Sort 1
Set oStatus = oMsgs(1)
Show "reply", oStatus.Reply
Show "reply all", oStatus.ReplyAll
Set oAgenda = oMsgs(2)
Set oFw = oAgenda.Forward
Show "forward", oFw
oFw.Attachments(1).WriteToFile "back_agenda.bin"
Set oRe = oStatus.Reply
Set oReRe = oRe.Reply
Debug.Print "prefix once: "; oReRe.Subject
Debug.Print "outbox still holds:"; oSession.Outbox.Messages.Count
