Debug.Print "Grüße"
