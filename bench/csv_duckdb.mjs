// The comparison for `velkaro table` beside DuckDB's CSV reader: the same
// semicolon file read on one thread, every field as text, each row
// materialised into a count and a checksum over all its fields.
//   node csv_duckdb.mjs FILE ENCODING   (ENCODING utf-8 or latin-1)
// Run from a folder where npm installed @duckdb/node-api.
import { DuckDBInstance } from '@duckdb/node-api';

const [file, encoding] = process.argv.slice(2);
const instance = await DuckDBInstance.create(':memory:', { threads: '1' });
const connection = await instance.connect();
await connection.run('SET threads = 1');
const quoted = file.replaceAll("'", "''");
const reader = await connection.runAndReadAll(
    `SELECT count(*) AS rows, sum(hash(t)::HUGEINT) AS checksum FROM read_csv('${quoted}', `
    + `delim = ';', header = true, all_varchar = true, encoding = '${encoding}') AS t`);
const [rows, checksum] = reader.getRows()[0];
process.stdout.write(`${rows} ${checksum}\n`);
