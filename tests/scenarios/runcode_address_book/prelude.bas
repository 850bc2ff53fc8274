' What the block takes from around it: the logged-on session.
Set oSession = CreateObject("MAPI.Session")
oSession.Logon ProfileName:="Book", ShowDialog:=False
