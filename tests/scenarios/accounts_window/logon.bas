'a headless logon never asks about a certificate: it fails naming its fingerprint
If oSession Is Nothing Then
  Set oSession = CreateObject("MAPI.Session")
End If
oSession.Logon ProfileName:="Direct", ShowDialog:=False, NewSession:=True
Debug.Print "logged on"
