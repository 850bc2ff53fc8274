' Class numbers, one per object kind, and Parent and Session of each.
Set oSession = CreateObject("MAPI.Session")
oSession.Logon ShowDialog:=True, NewSession:=True
Set oInbox = oSession.Inbox
Set oMsgs = oInbox.Messages
Set oMsg = oMsgs.GetFirst
Set oRecips = oMsg.Recipients
Set oRecip = oRecips(1)
Set oFields = oMsg.Fields
Set oField = oFields(1)
Set oLists = oSession.AddressLists
Set oList = oLists(1)
Set oEntries = oList.AddressEntries
Set oEntry = oEntries(1)
Set oAtts = oSession.Inbox.Messages(2).Attachments
Debug.Print "Session"; oSession.Class
Debug.Print "InfoStores"; oSession.InfoStores.Class
Debug.Print "InfoStore"; oSession.InfoStores(1).Class
Debug.Print "Folders"; oInbox.Parent.Folders.Class
Debug.Print "Folder"; oInbox.Class
Debug.Print "Messages"; oMsgs.Class
Debug.Print "Message"; oMsg.Class
Debug.Print "Recipients"; oRecips.Class
Debug.Print "Recipient"; oRecip.Class
Debug.Print "Attachments"; oAtts.Class
Debug.Print "Attachment"; oAtts(1).Class
Debug.Print "Fields"; oFields.Class
Debug.Print "Field"; oField.Class
Debug.Print "AddressLists"; oLists.Class
Debug.Print "AddressList"; oList.Class
Debug.Print "AddressEntries"; oEntries.Class
Debug.Print "AddressEntry"; oEntry.Class
Debug.Print "MessageFilter"; oMsgs.Filter.Class
Debug.Print "AddressEntryFilter"; oEntries.Filter.Class
Debug.Print "message's parent: "; oMsg.Parent.Name
Debug.Print "messages' parent: "; oMsgs.Parent.Name
Debug.Print "recipient's parent class:"; oRecip.Parent.Class
Debug.Print "recipients' parent: "; oRecips.Parent.Subject
Debug.Print "inbox's parent class:"; oInbox.Parent.Class
Debug.Print "top folder's parent class:"; oInbox.Parent.Parent.Class
Debug.Print "store's parent class:"; oInbox.Parent.Parent.Parent.Class
Debug.Print "session's parent is nothing: "; oSession.Parent Is Nothing
Debug.Print "a field's session is the session: "; oField.Session Is oSession
Debug.Print "an entry's session is the session: "; oEntry.Session Is oSession
Debug.Print "Sensitivity:"; oMsg.Sensitivity
Debug.Print "Submitted: "; oMsg.Submitted
On Error Resume Next
x = oMsg.NoSuchMember
Debug.Print "unknown member:"; Err.Number
Err.Clear
x = oSession.Inbox.Messages.Frobnicate(1)
Debug.Print "unknown collection member:"; Err.Number
