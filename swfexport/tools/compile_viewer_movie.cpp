// Build step: compiles one of the flip-book viewer's ActionScript sources into a compressed SWF 8
// movie whose first frame runs the script.
// Usage: compile_viewer_movie <source.as> <movie.swf> <width> <height> <rate>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

#include <swf/ming.h>

int main(int argc, char** argv) {
  if (argc != 6) {
    std::fprintf(stderr, "usage: %s <source.as> <movie.swf> <width> <height> <rate>\n", argv[0]);
    return 2;
  }
  std::ifstream in(argv[1], std::ios::binary);
  if (!in) {
    std::fprintf(stderr, "%s: cannot read\n", argv[1]);
    return 1;
  }
  const std::string source((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  SWFMovie movie = newSWFMovieWithVersion(8);
  if (!movie) return 1;
  SWFMovie_setDimension(movie, std::atof(argv[3]), std::atof(argv[4]));
  SWFMovie_setRate(movie, std::atof(argv[5]));
  SWFMovie_setBackground(movie, 0xcc, 0xcc, 0xcc);
  SWFMovie_setCompression(movie, 9);
  SWFAction action = newSWFAction(source.c_str());
  int line = 0, column = 0;
  if (const char* error = SWFAction_getError(action, &line, &column)) {
    std::fprintf(stderr, "%s:%d:%d: %s\n", argv[1], line, column, error);
    destroySWFAction(action);
    destroySWFMovie(movie);
    return 1;
  }
  SWFMovie_add(movie, action);
  destroySWFAction(action);
  const int size = SWFMovie_save(movie, argv[2]);
  destroySWFMovie(movie);
  if (size <= 0) {
    std::fprintf(stderr, "%s: cannot write: %s\n", argv[2], Ming_getLastError());
    return 1;
  }
  return 0;
}
