// The launcher core keeps the texts it builds for the VM options and the closing reports until the
// process ends, by design. LeakSanitizer is told about exactly the two builders of those texts, so a
// leak of anything else (the option array, a class-name buffer) still fails the run.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:AllocFormattedText\n"
           "leak:BuildCommandText\n";
}
