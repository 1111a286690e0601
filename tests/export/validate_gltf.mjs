// Validates glTF files with the Khronos glTF Validator, as readers_test.py
// runs it: prints each file's report's counts and messages, and exits 1
// when any file has an error or a warning.
// usage: node validate_gltf.mjs VALIDATOR_MODULE FILE...
import { readFile } from 'node:fs/promises';
import { createRequire } from 'node:module';

const [validatorPath, ...files] = process.argv.slice(2);
const validator = createRequire(import.meta.url)(validatorPath);
let failed = false;
for (const file of files) {
  const report = await validator.validateBytes(new Uint8Array(await readFile(file)), {
    uri: file,
    maxIssues: 100,
    // Every buffer is inside the file: anything outside is a fault.
    externalResourceFunction: (uri) => Promise.reject(new Error(`outside resource ${uri}`)),
  });
  const { numErrors, numWarnings, numInfos, numHints, messages } = report.issues;
  console.log(`${file}: ${numErrors} errors, ${numWarnings} warnings, ${numInfos} infos, ${numHints} hints`);
  for (const m of messages) console.log(`  ${m.severity} ${m.code} ${m.pointer ?? ''}: ${m.message}`);
  if (numErrors > 0 || numWarnings > 0) failed = true;
}
process.exit(failed ? 1 : 0);
