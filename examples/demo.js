// Corvastel from JScript: run with cscript once Corvastel.dll is registered.

// 0x80000001 is a positive double in JScript; "| 0" gives the signed 32-bit root key value.
var HKEY_CURRENT_USER = 0x80000001 | 0;
var REG_BINARY = 3;

var reg = new ActiveXObject("Corvastel.clsRegistry");
var key = "Software\\Corvastel Demo\\Settings";

WScript.Echo("Creating HKEY_CURRENT_USER\\" + key);
reg.regCreate_A_Key(HKEY_CURRENT_USER, key);
WScript.Echo("  exists: " + reg.regDoes_Key_Exist(HKEY_CURRENT_USER, key));

WScript.Echo("Writing a string, a number and a byte (no type given: Corvastel chooses)");
reg.regCreate_Key_Value(HKEY_CURRENT_USER, key, "Greeting", "Hello from JScript");
reg.regCreate_Key_Value(HKEY_CURRENT_USER, key, "Answer", 42);
reg.regCreate_Key_Value(HKEY_CURRENT_USER, key, "Flags", 7, REG_BINARY);

WScript.Echo("Reading them back");
var names = ["Greeting", "Answer", "Flags"];
for (var i = 0; i < names.length; i++) {
    var value = reg.regQuery_A_Key(HKEY_CURRENT_USER, key, names[i]);
    WScript.Echo("  " + names[i] + " = " + value + " (" + typeof value + ")");
}

WScript.Echo("Catching an error: 300 does not fit in a byte");
try {
    reg.regCreate_Key_Value(HKEY_CURRENT_USER, key, "TooBig", 300, REG_BINARY);
} catch (e) {
    WScript.Echo("  error " + (e.number & 0xFFFF) + ": " + e.description);
}

WScript.Echo("Deleting the value Greeting, then the keys");
reg.regDelete_Sub_Key(HKEY_CURRENT_USER, key, "Greeting");
WScript.Echo("  Greeting = \"" + reg.regQuery_A_Key(HKEY_CURRENT_USER, key, "Greeting") + "\"");
WScript.Echo("  Settings deleted: " + reg.regDelete_A_Key(HKEY_CURRENT_USER, "Software\\Corvastel Demo", "Settings"));
WScript.Echo("  Corvastel Demo deleted: " + reg.regDelete_A_Key(HKEY_CURRENT_USER, "Software", "Corvastel Demo"));
