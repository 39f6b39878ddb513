(* The evaluator's start: banner, signal handlers, and the loop that serves
 * tolq; plus the top-level names that tolq's requests use from the start. *)
structure TolqMain =
struct
  val version =
      #system Compiler.version ^ " v"
      ^ String.concatWith "." (map Int.toString (#version_id Compiler.version))

  (* tolq reads the version tag between the last brackets; the banner ends
   * with \001 and nothing follows it. *)
  val banner = "TOLQ ML evaluator on " ^ version ^ " [0404NJ]\001"

  (* Runs the evaluator from a fresh process: a heap just built or saved,
   * resumed by the run-time. Never returns. *)
  fun start () =
      (TolqEval.abortTarget := NONE;
       TolqEval.stopFlag := false;
       TolqChannel.holds := 0;
       Signals.unmaskSignals Signals.MASKALL;
       TolqChannel.reset TolqChannel.bin;
       TolqChannel.reset TolqChannel.textIn;
       TolqCapture.clear ();
       SMLofNJ.Internals.GC.messages false;
       TolqEval.installSignals ();
       TolqCapture.install ();
       TolqChannel.send (TolqChannel.textOutFd, [Byte.stringToBytes banner]);
       TolqLink.serveForever ())
end

(* Compiles and runs ML text at top level, nested in the running evaluation. *)
val usestring = TolqEval.usestring

(* Switched on by tolq's -mldebug start-up text. *)
structure VelkorML =
struct
  structure Control = struct val debugState = ref false end
end

(* The saving of heap images; TOLQ'Edit.SaveImage is this. *)
structure TolqImage =
struct
  (* Writes a heap image at path (the run-time adds its architecture suffix)
   * that starts with the banner and every definition made so far. The image
   * is written under a temporary name and then renamed, so a failed save
   * leaves an older image as it was. *)
  fun SaveImage (path : string) : unit =
      let val suffix = "." ^ SMLofNJ.SysInfo.getHeapSuffix ()
          val temporary = path ^ ".new"
          fun discard () = OS.FileSys.remove (temporary ^ suffix) handle OS.SysErr _ => ()
      in if (SMLofNJ.exportML temporary handle e => (discard (); raise e))
         then TolqMain.start ()
         else OS.FileSys.rename {old = temporary ^ suffix, new = path ^ suffix}
              handle e => (discard (); raise e)
      end
end
