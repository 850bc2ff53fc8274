Attribute VB_Name = "Old"
' “Café” – € 5
Debug.Print "été"