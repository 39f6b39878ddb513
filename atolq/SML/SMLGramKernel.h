// Binds the numbered requests that run the interface's dialogs, picks and
// group operations, and the Pantel pick; run once as tolq starts.
#pragma once

void SMLInstallKernelRequests();
// The Pantel request that lets the user pick a part of a node.
void SMLInstallPantelPick();
