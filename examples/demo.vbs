' Corvastel from VBScript: run with cscript once Corvastel.dll is registered.
Option Explicit

Const HKEY_CURRENT_USER = &H80000001
Const REG_BINARY = 3

Dim reg, key, dataType
Set reg = CreateObject("Corvastel.clsRegistry")
key = "Software\Corvastel Demo\Settings"

WScript.Echo "Creating HKEY_CURRENT_USER\" & key
reg.regCreate_A_Key HKEY_CURRENT_USER, key
WScript.Echo "  exists: " & reg.regDoes_Key_Exist(HKEY_CURRENT_USER, key)

WScript.Echo "Writing a string, a number and a byte"
dataType = 0   ' 0 lets Corvastel choose: numbers become REG_DWORD (4), the rest REG_SZ (1)
reg.regCreate_Key_Value HKEY_CURRENT_USER, key, "Greeting", "  Hello from VBScript  ", dataType
WScript.Echo "  Greeting written as type " & dataType
dataType = 0
reg.regCreate_Key_Value HKEY_CURRENT_USER, key, "Answer", "42", dataType
WScript.Echo "  Answer written as type " & dataType
reg.regCreate_Key_Value HKEY_CURRENT_USER, key, "Flags", 7, REG_BINARY

WScript.Echo "Reading them back (spaces around text are trimmed when it is written)"
WScript.Echo "  Greeting = """ & reg.regQuery_A_Key(HKEY_CURRENT_USER, key, "Greeting") & """"
WScript.Echo "  Answer   = " & reg.regQuery_A_Key(HKEY_CURRENT_USER, key, "Answer")
WScript.Echo "  Flags    = " & reg.regQuery_A_Key(HKEY_CURRENT_USER, key, "Flags")
WScript.Echo "  Missing  = """ & reg.regQuery_A_Key(HKEY_CURRENT_USER, key, "Missing") & """ (failures read as empty)"

WScript.Echo "Catching an error: 300 does not fit in a byte"
On Error Resume Next
reg.regCreate_Key_Value HKEY_CURRENT_USER, key, "TooBig", 300, REG_BINARY
WScript.Echo "  Err.Number " & Err.Number & ": " & Err.Description
Err.Clear
On Error GoTo 0

WScript.Echo "Deleting the value Greeting (regDelete_Sub_Key deletes a value, not a key)"
reg.regDelete_Sub_Key HKEY_CURRENT_USER, key, "Greeting"
WScript.Echo "  Greeting = """ & reg.regQuery_A_Key(HKEY_CURRENT_USER, key, "Greeting") & """"

WScript.Echo "Deleting the keys"
WScript.Echo "  Settings deleted: " & reg.regDelete_A_Key(HKEY_CURRENT_USER, "Software\Corvastel Demo", "Settings")
WScript.Echo "  Corvastel Demo deleted: " & reg.regDelete_A_Key(HKEY_CURRENT_USER, "Software", "Corvastel Demo")
