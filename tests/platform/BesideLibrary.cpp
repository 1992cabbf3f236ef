// A library that lies beside the platform tests, to be found by its bare name.
extern "C" {
[[gnu::visibility("default")]] extern const int besideLibraryMark;
const int besideLibraryMark = 0x5eed;
}
