Debug.Print "never printed"
For iLooper = 1 To 3
  If iLooper = 2 Then GoTo Skip
Next iLooper
