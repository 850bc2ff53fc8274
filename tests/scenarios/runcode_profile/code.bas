'the program's own logon block: the profile chooser gets --profile
If oSession Is Nothing Then
  Set oSession = CreateObject("MAPI.Session")
End If
oSession.Logon ShowDialog:=True, NewSession:=True
Debug.Print "chooser:"; oSession.InfoStores.Count; "stores"
oSession.Logoff

'named without its password: the one from --password-file
oSession.Logon ProfileName:="Browse", ShowDialog:=False, NewSession:=True
Debug.Print "named:"; oSession.InfoStores(1).Name

'nobody answers the address book in a headless run: it is cancelled
On Error Resume Next
Set oRecips = oSession.AddressBook(, "Choose")
Debug.Print "address book:"; Err.Number
Err.Clear
oSession.Logoff

'a password the code gives is still checked
oSession.Logon ProfileName:="Browse", ProfilePassword:="wrong", ShowDialog:=False, NewSession:=True
Debug.Print "wrong password:"; Err.Number
