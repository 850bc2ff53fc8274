' What the Inbox holds now, as the tree lists it.
Set oFolder = oSession.GetFolder("1001", "00B1")
For Each oMsg In oFolder.Messages
    Debug.Print oMsg.Subject
Next
