' The default store's folders, whichever back-end the profile's default store is.
Set oSession = CreateObject("MAPI.Session")
oSession.Logon ShowDialog:=True, NewSession:=True
Debug.Print "Inbox: "; oSession.Inbox.Name
For i = 1 To 4
  Debug.Print "default folder"; i; oSession.GetDefaultFolder(i).Name
Next
Debug.Print "Outbox: "; oSession.Outbox.Name
Debug.Print "Outbox is folder 2: "; oSession.Outbox.ID = oSession.GetDefaultFolder(2).ID
Debug.Print "Inbox messages:"; oSession.Inbox.Messages.Count
Debug.Print "Sent messages:"; oSession.GetDefaultFolder(3).Messages.Count
Debug.Print "Inbox's store is the default: "; oSession.Inbox.Parent.Parent.ProviderName = oSession.InfoStores(oSession.InfoStores.Count).ProviderName
On Error Resume Next
Set oFolder = oSession.GetDefaultFolder(9)
Debug.Print "kind 9:"; Err.Number
Err.Clear
Set oEntry = oSession.GetAddressEntry("no such entry")
Debug.Print "unknown entry:"; Err.Number
Err.Clear
On Error GoTo 0
Debug.Print "entry E002: "; oSession.GetAddressEntry("E002").Name
Debug.Print "current user set: "; Len(oSession.CurrentUser.Name) > 0
Debug.Print "name: "; oSession.Name = "Local" Or oSession.Name = "Live"
Debug.Print "version: "; Len(oSession.Version) > 0
