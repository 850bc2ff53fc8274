'the logon block as the program writes it, then some of the user's own
If oSession Is Nothing Then
  Set oSession = CreateObject("MAPI.Session")
End If
oSession.Logon ProfileName:="Browse", ProfilePassword:="pw", ShowDialog:=False, NewSession:=True

Set oStores = oSession.InfoStores
For iLooper = 1 To oStores.Count
  debug.print oStores.Item(iLooper).ID, oStores(iLooper).Name
Next iLooper

Function Describe(oMsg)
  Describe = oMsg.Subject & " (" & oMsg.Recipients.Count & " recipients)"
End Function

On Error Resume Next
Set oMsg = oSession.GetMessage("no such id", "00B1")
Debug.Print "lookup:"; Err.Number
' Nobody is there to answer the library's dialogs: they are cancelled.
Err.Clear
Set oOther = CreateObject("MAPI.Session")
oOther.Logon ShowDialog:=True, NewSession:=True
Debug.Print "chooser:"; Err.Number
Err.Clear
Set oPicked = oSession.AddressBook(Title:="Pick")
Debug.Print "address book:"; Err.Number
On Error GoTo 0

Set oMsg = oSession.GetMessage("3001", "00B1")
Debug.Print Describe(oMsg)
Set oMsg = oSession.GetMessage("3002", "00B1")
Debug.Print oMsg.Sender.Name
Debug.Print "not reached"
