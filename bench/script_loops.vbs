' The same reads and writes in a VBScript loop, Corvastel against the script host's own
' WScript.Shell, as a script user sees them. Prints microseconds per call and the ratio.
' The ProgID comes as the only argument.
Option Explicit

Const HKEY_CURRENT_USER = &H80000001
Const ROUNDS = 3000
Dim reg, shell, key, i, started, ours, theirs
Set reg = CreateObject(WScript.Arguments(0))
Set shell = CreateObject("WScript.Shell")
key = "Software\Corvastel Bench Script"
reg.regCreate_Key_Value HKEY_CURRENT_USER, key, "sz", "hello world", 1

Sub Report(name, ours, theirs)
    WScript.Echo "script," & name & "," & FormatNumber(ours, 2) & "," & FormatNumber(theirs, 2) & "," & _
                 FormatNumber(theirs / ours, 2)
End Sub

started = Timer
For i = 1 To ROUNDS : reg.regQuery_A_Key HKEY_CURRENT_USER, key, "sz" : Next
ours = (Timer - started) * 1000000 / ROUNDS
started = Timer
For i = 1 To ROUNDS : shell.RegRead "HKCU\" & key & "\sz" : Next
theirs = (Timer - started) * 1000000 / ROUNDS
WScript.Echo "script,operation,Corvastel us/call,WScript.Shell us/call,WScript.Shell / Corvastel"
Report "read REG_SZ", ours, theirs

started = Timer
For i = 1 To ROUNDS : reg.regCreate_Key_Value HKEY_CURRENT_USER, key, "w", "hello world", 1 : Next
ours = (Timer - started) * 1000000 / ROUNDS
started = Timer
For i = 1 To ROUNDS : shell.RegWrite "HKCU\" & key & "\w", "hello world", "REG_SZ" : Next
theirs = (Timer - started) * 1000000 / ROUNDS
Report "write REG_SZ", ours, theirs

reg.regDelete_A_Key HKEY_CURRENT_USER, "Software", "Corvastel Bench Script"
