(* Loads the evaluator's sources into the interactive system and exports
 * the heap image named by TOLQ_HEAP; the image starts in TolqMain.start. *)
val heap = getOpt (OS.Process.getEnv "TOLQ_HEAP", "tolq.ML");

val loaded =
    (List.app use ["bytes.sml", "channel.sml", "capture.sml", "eval.sml",
                   "link.sml", "tolq.sml", "main.sml",
                   "lib/multiset.sml", "lib/mltext.sml", "lib/decl.sml", "lib/edit.sml",
                   "lib/simstate.sml", "lib/bind.sml"];
     true)
    handle e => (TextIO.output (TextIO.stdErr, "build failed: " ^ exnMessage e ^ "\n"); false);

val _ = if loaded then () else OS.Process.exit OS.Process.failure;

(* The compilation manager's progress lines ("[autoloading]") would land in
 * replies. *)
val _ = #set CM.Control.verbose false;

val _ = if SMLofNJ.exportML heap then TolqMain.start () else OS.Process.exit OS.Process.success;
