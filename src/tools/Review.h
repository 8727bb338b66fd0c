#pragma once
// --review OLD NEW -o DIR: a change to a folder of levels, ready for a pull request.

#include "tools/Console.h"
#include "tools/Invocation.h"

namespace app {

// Writes DIR/review.md (and DIR/review-N.md when the review is cut into parts; ReviewMarkdown.h)
// and, per changed level NAME, DIR/NAME.before.png and DIR/NAME.after.png as --render draws
// the two levels and DIR/NAME.changes.png as --diff --png draws the change. Parts left in DIR
// by an earlier, longer review are removed. Returns 0 when everything is written, whether or
// not the levels differ; throws EditorError, or reports every picture it could not write and
// returns 2.
int runReview(const Invocation& invocation, Console& console);

} // namespace app
