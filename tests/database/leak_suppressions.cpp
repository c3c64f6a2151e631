// Read by LeakSanitizer in the sanitizer build. psqlODBC leaks a few hundred
// bytes when a prepared statement fails on the server (a plain C program doing
// SQLPrepare + SQLExecute of an UPDATE of a missing table shows it; with
// SQLExecDirect it does not), whatever the caller releases.
extern "C" __attribute__((visibility("default"))) const char *__lsan_default_suppressions()
{
    return "leak:psqlodbca.so\n";
}
