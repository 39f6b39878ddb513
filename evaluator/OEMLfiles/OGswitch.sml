(* Loaded when the OE/OS graph tool is entered. This evaluator holds no
 * library for graphs of equivalence classes, so entering fails visibly. *)
raise Tolq.Error "The OE/OS graph library is not available yet.";
