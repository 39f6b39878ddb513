(* The evaluator's start: the saved state to load, banner, signal handlers,
 * and the loop that serves tolq; the saving of states; plus the top-level
 * names that tolq's requests use from the start. *)
structure TolqImage =
struct
  (* A state named PATH is kept in the file PATH ^ suffix, as tolq and its
   * settings name images without it. A file named exactly PATH is taken
   * when none with the suffix exists. *)
  val suffix = ".x86-linux"

  fun exists path = OS.FileSys.access (path, [OS.FileSys.A_READ])

  fun fileOf path = if exists (path ^ suffix) orelse not (exists path) then path ^ suffix else path

  (* Writes the state at path: every definition made so far. It is written
   * under a temporary name and then renamed, so a failed save leaves an
   * older state as it was. *)
  fun save (path : string) : unit =
      let val target = path ^ suffix
          val temporary = target ^ ".new"
          fun discard () = OS.FileSys.remove temporary handle OS.SysErr _ => ()
      in PolyML.SaveState.saveState temporary handle e => (discard (); raise e);
         OS.FileSys.rename {old = temporary, new = target} handle e => (discard (); raise e)
      end

  (* The state of every ref is the saved one after a load, so the running
   * evaluator's own state is kept across it. *)
  fun load (path : string) =
      PolyML.SaveState.loadState (fileOf path)
      handle Fail m =>
               raise Fail ("the image " ^ fileOf path ^ " cannot be loaded: " ^ m
                           ^ " (it was saved by another build of the evaluator)")
           | OS.SysErr (m, _) => raise Fail ("the image " ^ fileOf path ^ " cannot be read: " ^ m)
end

structure TolqMain =
struct
  val version = "Poly/ML " ^ Int.toString (PolyML.rtsVersion () div 100) ^ "."
                ^ Int.toString (PolyML.rtsVersion () div 10 mod 10) ^ "."
                ^ Int.toString (PolyML.rtsVersion () mod 10)

  (* tolq reads the version tag between the last brackets; the banner ends
   * with \001 and nothing follows it. *)
  val banner = "TOLQ ML evaluator on " ^ version ^ " [0404NJ]\001"

  fun fail message =
      (TextIO.output (TextIO.stdErr, "tolq evaluator: " ^ message ^ "\n");
       TextIO.flushOut TextIO.stdErr;
       TolqExit.now 1)

  (* The main thread only keeps the process alive: the program ends when
   * it returns. A sleep would wake it every few milliseconds; a wait on a
   * condition nobody signals does not. *)
  fun waitForever () =
      let val m = Thread.Mutex.mutex ()
          val never = Thread.ConditionVar.conditionVar ()
      in Thread.Mutex.lock m;
         while true do Thread.ConditionVar.wait (never, m)
      end

  (* Serves tolq from a fresh process, with a state just loaded. Never
   * returns. *)
  fun serve () =
      (TolqEval.stopFlag := false;
       TolqEval.levels := [];
       TolqEval.interrupting := NONE;
       TolqServer.generation := 0;
       TolqServer.start := TolqLink.startServer;
       TolqSignals.openChannel ();
       if TolqSignals.viaDescriptor ()
       then ignore (Thread.Thread.fork (TolqEval.readSignals, []))
       else TolqEval.installSignals ();
       ignore (Signal.signal (TolqSignals.number Posix.Signal.pipe, Signal.SIG_IGN));
       TolqCapture.install ();
       TolqChannel.start ();
       TolqChannel.send (TolqChannel.textOutFd (), [Byte.stringToBytes banner]);
       TolqLink.startServer ();
       waitForever ())

  (* run.x86-linux [@SMLload=PATH]: loads the state at PATH, then serves
   * tolq. run.x86-linux --save-base PATH writes the state the build places
   * beside the program. *)
  fun main () =
      (TolqSignals.prepare ();
       case CommandLine.arguments () of
         [] => serve ()
       | ["--save-base", path] => (TolqImage.save path; TolqExit.now 0)
       | [arg] =>
           if String.isPrefix "@SMLload=" arg
           then (TolqImage.load (String.extract (arg, size "@SMLload=", NONE))
                 handle Fail m => fail m;
                 serve ())
           else fail ("unknown argument " ^ arg)
       | _ => fail "usage: run.x86-linux [@SMLload=IMAGE]")
      handle e => fail ("stopped: " ^ exnMessage e)

  (* TOLQ'Edit.SaveImage: the state at path; the evaluator goes on serving. *)
  fun saveImage (path : string) = TolqImage.save path
end

(* Compiles and runs ML text at top level, nested in the running evaluation. *)
val usestring = TolqEval.usestring

(* Switched on by tolq's -mldebug start-up text. *)
structure VelkorML =
struct
  structure Control = struct val debugState = ref false end
end

(* tolq's start-up text switches off the collector's messages of the
 * evaluator it was first written for; this one prints none. *)
structure SMLofNJ =
struct
  structure Internals = struct structure GC = struct fun messages (_ : bool) = () end end
end
