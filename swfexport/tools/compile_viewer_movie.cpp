// Build step: compiles one of the flip-book viewer's ActionScript sources into a compressed SWF 8
// movie whose first frame runs the script. With "label" the movie also exports the clip "flipLabel"
// for attachMovie: one text field "label_txt" in the player's own sans-serif face, so the script's
// labels never start in a font the player lacks (as fields made by createTextField do).
// Usage: compile_viewer_movie <source.as> <movie.swf> <width> <height> <rate> [label]
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

#include <swf/ming.h>

int main(int argc, char** argv) {
  const bool label = argc == 7 && std::string(argv[6]) == "label";
  if (argc != 6 && !label) {
    std::fprintf(stderr, "usage: %s <source.as> <movie.swf> <width> <height> <rate> [label]\n", argv[0]);
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
  if (label) {
    SWFFont sans = newSWFFont();
    SWFFont_setName(sans, "_sans");
    SWFTextField field = newSWFTextField();
    SWFTextField_setFont(field, sans);
    SWFTextField_setBounds(field, 100, 20);
    SWFTextField_setHeight(field, 12);
    SWFTextField_setColor(field, 255, 255, 255, 255);
    SWFTextField_setFlags(field, SWFTEXTFIELD_NOEDIT | SWFTEXTFIELD_NOSELECT);
    SWFMovieClip clip = newSWFMovieClip();
    SWFDisplayItem_setName(SWFMovieClip_add(clip, field), "label_txt");
    SWFMovieClip_nextFrame(clip);
    SWFMovie_addExport(movie, clip, "flipLabel");
    destroySWFMovieClip(clip);
    destroySWFTextField(field);
    destroySWFFont(sans);
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
