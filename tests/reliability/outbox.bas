' Saves messages with three recipients and two attachments to the Outbox until killed.
Set oSession = CreateObject("MAPI.Session")
oSession.Logon ProfileName:="Kill", ShowDialog:=False
For i = 1 To 100000
  Set oMsg = oSession.Outbox.Messages.Add
  oMsg.Subject = "ROUND " & i
  oMsg.Text = "Three recipients and two attachments."
  For j = 1 To 3
    Set oRecip = oMsg.Recipients.Add(Name:="To " & j, Type:=1)
    oRecip.Address = "to" & j & "@example.com"
  Next j
  For j = 1 To 2
    Set oAtt = oMsg.Attachments.Add
    oAtt.Name = "part" & j & ".bin"
    oAtt.Type = 1
    oAtt.ReadFromFile "attachment.bin"
  Next j
  oMsg.Update
Next i
