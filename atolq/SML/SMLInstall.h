// Binds the net layer's rows of the evaluator's function table and its
// numbered requests; run once as the net layer starts.
#pragma once

void SMLInstallRequests();
