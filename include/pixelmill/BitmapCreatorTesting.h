// Fault injection for tests of code that must survive a failed bitmap allocation.
#pragma once

// The next `count` calls of CBitmapCreator::AllocateDibBlock (and so of CreateDibImage) fail as if
// memory had run out; 0 ends the injection.
void PixelmillFailNextAllocations(int count);
