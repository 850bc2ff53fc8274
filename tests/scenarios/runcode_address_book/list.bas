' The Personal Address Book's entries, with their notes and list members.
Set oAddressList = oSession.AddressLists("Personal Address Book")
For Each oAddressEntry In oAddressList.AddressEntries
    Debug.Print oAddressEntry.Name; " <"; oAddressEntry.Address; "> "; oAddressEntry.Type; " notes: "; Notes(oAddressEntry)
    If oAddressEntry.Type = "MAPIPDL" Then
        For Each oMember In oAddressEntry.Members
            Debug.Print "  member "; oMember.Name; " <"; oMember.Address; "> notes: "; Notes(oMember)
        Next
    End If
Next

' An entry without notes has no such field.
Function Notes(oEntry)
    Notes = "(none)"
    On Error Resume Next
    Notes = oEntry.Fields(805568542)
End Function
