/* A library that only the test program's directory holds; test_library.def exports its function
   with ordinal 5. */
int BindingTestAnswer(void) { return 42; }
