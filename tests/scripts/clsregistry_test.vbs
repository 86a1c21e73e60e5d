' Corvastel.clsRegistry as VBScript users call it: variables passed by reference,
' optional arguments left out, errors caught with On Error. Prints every failed check
' and a closing count; exits with 1 when any check failed. The ProgID comes as the
' only argument.
Option Explicit

Const HKEY_CURRENT_USER = &H80000001
Const REG_SZ = 1, REG_BINARY = 3, REG_DWORD = 4
Const TEST_ROOT = "Software\Corvastel Script Tests"

Dim passed, failed
passed = 0
failed = 0

Sub Check(name, actual, expected)
    If TypeName(actual) = TypeName(expected) And actual = expected Then
        passed = passed + 1
    Else
        failed = failed + 1
        WScript.Echo "FAIL " & name & ": got " & TypeName(actual) & " [" & actual & "], expected " & _
                     TypeName(expected) & " [" & expected & "]"
    End If
End Sub

Dim reg, key, dataType
Set reg = CreateObject(WScript.Arguments(0))
key = TEST_ROOT & "\VBScript"

reg.regCreate_A_Key HKEY_CURRENT_USER, key
Check "new key exists", reg.regDoes_Key_Exist(HKEY_CURRENT_USER, key), True

' A type of 0 lets the class choose, and the caller's variable receives the choice.
dataType = 0
reg.regCreate_Key_Value HKEY_CURRENT_USER, key, "Text", "  hello  ", dataType
Check "type chosen for text", dataType, CLng(REG_SZ)
dataType = 0
reg.regCreate_Key_Value HKEY_CURRENT_USER, key, "Number", "42", dataType
Check "type chosen for a number", dataType, CLng(REG_DWORD)
' Variables that an operation does not set keep their type and value.
dataType = 3.6
reg.regCreate_Key_Value HKEY_CURRENT_USER, key, "Rounded", "7", dataType
Check "a type that was not 0 stays", dataType, 3.6
Dim root, emptyPath
root = CStr(HKEY_CURRENT_USER)
Check "root given as text", reg.regDoes_Key_Exist(root, emptyPath), True
Check "root stays text", root, CStr(HKEY_CURRENT_USER)
Check "path stays Empty", TypeName(emptyPath), "Empty"
reg.regCreate_Key_Value HKEY_CURRENT_USER, key, "Omitted", 7

Check "string read back trimmed", reg.regQuery_A_Key(HKEY_CURRENT_USER, key, "Text"), "hello"
Check "number read back", reg.regQuery_A_Key(HKEY_CURRENT_USER, key, "Number"), CLng(42)
Check "rounded type", reg.regQuery_A_Key(HKEY_CURRENT_USER, key, "Rounded"), CLng(7)
Check "omitted type", reg.regQuery_A_Key(HKEY_CURRENT_USER, key, "Omitted"), CLng(7)

' Only conversions raise errors, with the Basic runtime's numbers.
On Error Resume Next
reg.regCreate_Key_Value HKEY_CURRENT_USER, key, "TooBig", 300, REG_BINARY
Check "overflow number", Err.Number, CLng(6)
Check "overflow description", Err.Description, "Overflow"
Err.Clear
reg.regCreate_Key_Value HKEY_CURRENT_USER, key, "Null", Null, REG_SZ
Check "invalid use of Null number", Err.Number, CLng(94)
Err.Clear
reg.regQuery_A_Key HKEY_CURRENT_USER, key & "\missing", "x"
Check "a failed read raises nothing", Err.Number, CLng(0)
On Error GoTo 0

' regDelete_Sub_Key deletes a value; regDelete_A_Key deletes a subkey.
reg.regDelete_Sub_Key HKEY_CURRENT_USER, key, "Text"
Check "value deleted", reg.regQuery_A_Key(HKEY_CURRENT_USER, key, "Text"), ""
Check "key deleted", reg.regDelete_A_Key(HKEY_CURRENT_USER, TEST_ROOT, "VBScript"), True
Check "test root deleted", reg.regDelete_A_Key(HKEY_CURRENT_USER, "Software", "Corvastel Script Tests"), True

WScript.Echo "VBScript: " & passed & " passed, " & failed & " failed"
If failed > 0 Then WScript.Quit 1
