# Corvastel from PowerShell: run with the PowerShell of the registered build's bitness
# (%SystemRoot%\SysWOW64\WindowsPowerShell\v1.0\powershell.exe for the 32-bit build on
# 64-bit Windows). PowerShell does not run under Wine, so these calls are the ones that
# examples\demo.vbs, which the tests run, shows working.
$HKEY_CURRENT_USER = [int]-2147483647   # &H80000001, as a 32-bit value
$REG_BINARY = 3
$key = "Software\Corvastel Demo\Settings"

$reg = New-Object -ComObject Corvastel.clsRegistry
$reg.regCreate_A_Key($HKEY_CURRENT_USER, $key)
"exists: " + $reg.regDoes_Key_Exist($HKEY_CURRENT_USER, $key)
$reg.regCreate_Key_Value($HKEY_CURRENT_USER, $key, "Greeting", "  Hello from PowerShell  ")
$reg.regCreate_Key_Value($HKEY_CURRENT_USER, $key, "Flags", 7, $REG_BINARY)
'Greeting = "' + $reg.regQuery_A_Key($HKEY_CURRENT_USER, $key, "Greeting") + '"'
"Flags    = " + $reg.regQuery_A_Key($HKEY_CURRENT_USER, $key, "Flags")
try { $reg.regCreate_Key_Value($HKEY_CURRENT_USER, $key, "TooBig", 300, $REG_BINARY) }
catch { "300 does not fit in a byte: " + $_.Exception.Message }   # ...: "Overflow"
$reg.regDelete_Sub_Key($HKEY_CURRENT_USER, $key, "Greeting")   # deletes the value
"Settings deleted: " + $reg.regDelete_A_Key($HKEY_CURRENT_USER, "Software\Corvastel Demo", "Settings")
"Corvastel Demo deleted: " + $reg.regDelete_A_Key($HKEY_CURRENT_USER, "Software", "Corvastel Demo")
