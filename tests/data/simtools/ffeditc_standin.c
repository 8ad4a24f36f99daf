/* Stands in for the simulator's converter in the Wine test: called as
   "ffeditc_unicode.exe SHAPE /O:temp.s", it copies SHAPE to temp.s in its
   own folder with the byte after the Unicode mark set to 'C', so that the
   test can tell a converted file from the one it wrote. */
#include <stdio.h>
#include <string.h>
#include <windows.h>

int main(int argc, char** argv) {
  char output[MAX_PATH];
  DWORD length = GetModuleFileNameA(NULL, output, MAX_PATH);
  while (length > 0 && output[length - 1] != '\\') --length;
  if (argc != 3 || strcmp(argv[2], "/O:temp.s") != 0 || length + 7 > MAX_PATH) {
    fprintf(stderr, "usage: ffeditc_unicode.exe SHAPE /O:temp.s\n");
    return 2;
  }
  strcpy(output + length, "temp.s");

  FILE* in = fopen(argv[1], "rb");
  if (in == NULL) {
    fprintf(stderr, "cannot read %s\n", argv[1]);
    return 1;
  }
  static char bytes[1 << 20];
  const size_t size = fread(bytes, 1, sizeof bytes, in);
  fclose(in);
  if (size > 2) bytes[2] = 'C';
  FILE* out = fopen(output, "wb");
  if (out == NULL || fwrite(bytes, 1, size, out) != size || fclose(out) != 0) {
    fprintf(stderr, "cannot write %s\n", output);
    return 1;
  }
  printf("%s -> %s\n", argv[1], output);
  return 0;
}
