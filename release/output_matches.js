// cscript //nologo output_matches.js PATTERN FILE: exits with 0 when the text
// of FILE matches the regular expression PATTERN, as CTest's PASS_REGULAR_EXPRESSION
// does, and with 1 otherwise: the runner's check of expected output, where CMD's
// findstr will not do (Wine 8's reports a match whatever the text).
var pattern = new RegExp(WScript.Arguments(0));
var files = new ActiveXObject("Scripting.FileSystemObject");
var text = "";
if (files.FileExists(WScript.Arguments(1))) {
    var file = files.OpenTextFile(WScript.Arguments(1), 1);
    if (!file.AtEndOfStream) text = file.ReadAll();
    file.Close();
}
WScript.Quit(pattern.test(text) ? 0 : 1);
