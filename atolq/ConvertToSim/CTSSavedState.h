// The simulation state kept with the diagram: the model clock and the time
// flags written into the net data base's root when a state is saved, and
// taken back when a diagram with a saved state is loaded. The marking and
// the evaluator's own clock travel in the evaluator's saved image.
#pragma once

// Root flag bits of a saved state.
inline constexpr unsigned kCTSRootTimedNet = 1u << 8;    // the net was timed
inline constexpr unsigned kCTSRootWithTime = 1u << 12;   // it ran with time
inline constexpr unsigned kCTSRootSavedState = 1u << 20; // saved as the diagram's state

// The clock text "(clock ("n"))" and the time flags into the root; the
// saved-state flag set or cleared as asked. The diagram counts as unmodified.
void CTSStoreSimStateWords(bool savedState);
// After a diagram with a saved state was loaded into an evaluator started
// from its image: the clock from the root's clock text ("(clock ("0"))"
// when it has none), the time flags, and the evaluator's step. The step,
// or -1 when the evaluator gave none.
long CTSRestoreSimState();
// Whether the restored state was timed and run with time.
bool CTSRestoredTimedNet();
bool CTSRestoredWithTime();

// After a saved-state load: the timed-net flag from the colour table, as the
// check computes it, so that the clock keeps advancing in the run.
void CTSRestoreTimedNetFlag();
