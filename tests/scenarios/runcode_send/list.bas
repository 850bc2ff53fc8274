' The Outbox's messages, with what the send window sets on them.
Set oFolder = oSession.Outbox
For Each oMsg In oFolder.Messages
    Debug.Print "Subject: "; oMsg.Subject
    Debug.Print "Text: "; oMsg.Text
    Debug.Print "Importance: "; oMsg.Importance
    For Each oRecip In oMsg.Recipients
        Debug.Print "Recipient: "; oRecip.Name; " type "; oRecip.Type
    Next
    For Each oAttachment In oMsg.Attachments
        Debug.Print "Attachment: "; oAttachment.Name; " type "; oAttachment.Type
    Next
Next
