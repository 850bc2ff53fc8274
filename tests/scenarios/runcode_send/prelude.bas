' What the send block takes from around it: the logged-on session, the
' recipients the address book returned and the values the window held.
Set oSession = CreateObject("MAPI.Session")
oSession.Logon ProfileName:="Compose", ShowDialog:=False
Set oScratch = oSession.Outbox.Messages.Add
oScratch.Recipients.Add Name:="Cy Cole", Type:=1
oScratch.Recipients.Add Name:="Bob Baker", Type:=2
Set oRecips = oScratch.Recipients
MyMediumImportanceVar = True
MyFullyQualifiedAttachmentName = CurDir() & "/notes.txt"
MyAttachmentName = MyFullyQualifiedAttachmentName
