#pragma once
#include "Causes.h"

// The words for each cause, as the report tells it: a block of its own, with what
// happened, after a colon the names one per line (at most three, then how many more),
// then what to do. A row without `many` is one sentence and its remedy, without count or
// names.
struct CauseText {
    Cause cause;
    bool feminine;          // "Una …", "e altre N"
    bool pairs;             // the names are pairs of copies
    const char* one;        // what happened, after "Un"/"Una"
    const char* many;       // and after a count
    const char* others;     // what the names not shown are, after "e altri N"
    const char* remedyOne;  // what to do, as a sentence; none where pressing again is all
    const char* remedyMany;
    const char* reason;         // why tdata could not be made, where this cause can say it
    const char* stagingRemedy;  // and what to do then, where it differs from remedyOne
};

// A cause's words; the report names the causes in their order.
const CauseText& TextOf(Cause cause);
