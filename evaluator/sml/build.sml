(* Loads the evaluator's sources in order; the program starts in main.
 * polyc compiles this file and exports main as the executable. *)
val () =
    List.app use ["bytes.sml", "signals.sml", "channel.sml", "capture.sml", "eval.sml",
                  "link.sml", "tolq.sml", "main.sml",
                  "lib/multiset.sml", "lib/mltext.sml", "lib/decl.sml", "lib/edit.sml",
                  "lib/simstate.sml", "lib/bind.sml", "lib/constraints.sml", "lib/charts.sml",
                  "lib/ogstore.sml", "lib/occgraph.sml", "lib/occmenu.sml", "lib/newsim.sml",
                  "lib/rxl.sml", "lib/perf.sml"];

fun main () = TolqMain.main ();
