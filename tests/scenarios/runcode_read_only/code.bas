'a dry run: every write fails with MAPI_E_NO_ACCESS and changes nothing
Set oSession = CreateObject("MAPI.Session")
oSession.Logon ProfileName:="Browse", ProfilePassword:="pw", ShowDialog:=False, NewSession:=True
Set oMsgs = oSession.GetFolder("1001", "00B1").Messages
Debug.Print "messages before:"; oMsgs.Count
On Error Resume Next
Set oMsg = oSession.GetMessage("3001", "00B1")
oMsg.Delete
Debug.Print "delete:"; Err.Number; Err.Description
Err.Clear
oMsg.Subject = "changed"
oMsg.Update
Debug.Print "update:"; Err.Number
Err.Clear
Set oNew = oMsgs.Add
oNew.Subject = "new"
oNew.Update
Debug.Print "add:"; Err.Number
Err.Clear
Set oEntries = oSession.AddressLists("Personal Address Book").AddressEntries
Set oEntry = oEntries.Add("SMTP", "Cy Cole")
oEntry.Update
Debug.Print "new address entry:"; Err.Number
Err.Clear
oEntries.Item(1).Delete
Debug.Print "address entry delete:"; Err.Number
Err.Clear
On Error GoTo 0
Set oMsgs = oSession.GetFolder("1001", "00B1").Messages
Debug.Print "messages after:"; oMsgs.Count
Debug.Print "subject after:"; oSession.GetMessage("3001", "00B1").Subject
Debug.Print "address entries after:"; oSession.AddressLists("Personal Address Book").AddressEntries.Count
