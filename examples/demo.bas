Attribute VB_Name = "CorvastelDemo"
' Corvastel from VBA (Office) or VB6: import this module (File, Import File) and run
' EarlyBound or LateBound. EarlyBound needs a reference to Corvastel (Tools, References,
' Browse to Corvastel.tlb of the build that matches Office's bitness); LateBound needs
' only the registration. VBA does not run under Wine, so these calls are the ones that
' examples\demo.vbs, which the tests run, shows working.
Option Explicit

Private Const KEY_PATH As String = "Software\Corvastel Demo\Settings"

Public Sub EarlyBound()
    Dim reg As New Corvastel.clsRegistry
    Dim dataType As RegDataType
    reg.regCreate_A_Key HKEY_CURRENT_USER, KEY_PATH
    dataType = REG_NONE   ' lets Corvastel choose, and receives its choice
    reg.regCreate_Key_Value HKEY_CURRENT_USER, KEY_PATH, "Answer", "42", dataType
    Debug.Print "Answer written as type"; dataType
    Debug.Print "Answer ="; reg.regQuery_A_Key(HKEY_CURRENT_USER, KEY_PATH, "Answer")
    On Error Resume Next
    reg.regCreate_Key_Value HKEY_CURRENT_USER, KEY_PATH, "TooBig", 300, REG_BINARY
    Debug.Print "Err.Number"; Err.Number; ": "; Err.Description   ' 6: Overflow
    On Error GoTo 0
    reg.regDelete_Sub_Key HKEY_CURRENT_USER, KEY_PATH, "Answer"   ' deletes the value
    Debug.Print "Settings deleted:"; reg.regDelete_A_Key(HKEY_CURRENT_USER, "Software\Corvastel Demo", "Settings")
    Debug.Print "Corvastel Demo deleted:"; reg.regDelete_A_Key(HKEY_CURRENT_USER, "Software", "Corvastel Demo")
End Sub

Public Sub LateBound()
    Const HKEY_CURRENT_USER_VALUE As Long = &H80000001
    Dim reg As Object
    Set reg = CreateObject("Corvastel.clsRegistry")
    reg.regCreate_Key_Value HKEY_CURRENT_USER_VALUE, KEY_PATH, "Greeting", "  Hello from VBA  "
    Debug.Print "Greeting = """; reg.regQuery_A_Key(HKEY_CURRENT_USER_VALUE, KEY_PATH, "Greeting"); """"
    Debug.Print "Exists:"; reg.regDoes_Key_Exist(HKEY_CURRENT_USER_VALUE, KEY_PATH)
    reg.regDelete_A_Key HKEY_CURRENT_USER_VALUE, "Software\Corvastel Demo", "Settings"
    reg.regDelete_A_Key HKEY_CURRENT_USER_VALUE, "Software", "Corvastel Demo"
End Sub
