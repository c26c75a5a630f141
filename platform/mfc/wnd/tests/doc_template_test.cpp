// The single-document template's table, headless: the frame is made without a toolkit window
// and its views with it.
#include "doc_template_table.h"

namespace doctable {

void PumpEvents() {}

INSTANTIATE_TEST_SUITE_P(Headless, DocTemplateTest, ::testing::Values(Frames::headless), FramesName);

}  // namespace doctable
