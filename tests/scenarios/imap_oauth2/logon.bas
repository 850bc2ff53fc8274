'log on to the OAuth 2.0 account and list its folders, or say why not
On Error Resume Next
Set oSession = CreateObject("MAPI.Session")
oSession.Logon ProfileName:="OAuth", ShowDialog:=False, NewSession:=True
If Err.Number <> 0 Then
  Debug.Print "logon failed:"; Err.Number; Err.Description
Else
  Set oStore = oSession.InfoStores(1)
  Debug.Print "logged on: "; oStore.Name; ","; oStore.RootFolder.Folders.Count; "folder(s)"
  oSession.Logoff
End If
