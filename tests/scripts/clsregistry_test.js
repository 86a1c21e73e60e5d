// Corvastel.clsRegistry as JScript users call it: numbers as JScript holds them, no
// by-reference arguments, errors caught as exceptions. Prints every failed check and a
// closing count; exits with 1 when any check failed. The ProgID comes as the only argument.

// JScript reads 0x80000001 as a positive double, which no 32-bit argument holds:
// "| 0" makes it the signed 32-bit value of the root key.
var HKEY_CURRENT_USER = 0x80000001 | 0;
var REG_SZ = 1, REG_BINARY = 3, REG_DWORD = 4;
var TEST_ROOT = "Software\\Corvastel Script Tests";

var passed = 0, failed = 0;
function check(name, actual, expected) {
    if (typeof actual === typeof expected && actual === expected) {
        passed++;
    } else {
        failed++;
        WScript.Echo("FAIL " + name + ": got " + typeof actual + " [" + actual + "], expected " +
                     typeof expected + " [" + expected + "]");
    }
}

var reg = new ActiveXObject(WScript.Arguments(0));
var key = TEST_ROOT + "\\JScript";

reg.regCreate_A_Key(HKEY_CURRENT_USER, key);
check("new key exists", reg.regDoes_Key_Exist(HKEY_CURRENT_USER, key), true);

// JScript passes whole numbers as 32-bit integers and others as doubles.
reg.regCreate_Key_Value(HKEY_CURRENT_USER, key, "Number", 42);
reg.regCreate_Key_Value(HKEY_CURRENT_USER, key, "Fraction", 3.5, REG_DWORD);
reg.regCreate_Key_Value(HKEY_CURRENT_USER, key, "NumberAsText", 42, REG_SZ);
check("number", reg.regQuery_A_Key(HKEY_CURRENT_USER, key, "Number"), 42);
check("fraction rounds to even", reg.regQuery_A_Key(HKEY_CURRENT_USER, key, "Fraction"), 4);
check("number stored as text", reg.regQuery_A_Key(HKEY_CURRENT_USER, key, "NumberAsText"), "42");

try {
    reg.regCreate_Key_Value(HKEY_CURRENT_USER, key, "TooBig", 300, REG_BINARY);
    check("overflow raised", false, true);
} catch (e) {
    check("overflow number", e.number, 0x800A0006 | 0);
    check("overflow description", e.description, "Overflow");
}

// NaN is a number that no integer holds.
try {
    reg.regCreate_Key_Value(HKEY_CURRENT_USER, key, "NaN", parseInt("abc"));
    check("NaN raised", false, true);
} catch (e) {
    check("NaN overflow", e.number, 0x800A0006 | 0);
}

check("key deleted", reg.regDelete_A_Key(HKEY_CURRENT_USER, TEST_ROOT, "JScript"), true);
check("test root deleted", reg.regDelete_A_Key(HKEY_CURRENT_USER, "Software", "Corvastel Script Tests"), true);

WScript.Echo("JScript: " + passed + " passed, " + failed + " failed");
WScript.Quit(failed > 0 ? 1 : 0);
