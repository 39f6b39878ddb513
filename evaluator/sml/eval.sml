(* Compiling and running ML text at top level: the reply class of each
 * outcome, evaluations run in threads of their own so that SIGINT can
 * interrupt them, and the stop-run flag that long runs poll. *)
structure TolqEval =
struct
  structure T = Thread.Thread
  structure M = Thread.Mutex
  structure CV = Thread.ConditionVar

  (* Raised by library code to end an evaluation in the "Error" class. *)
  exception ErrorClass of string

  (* The text did not compile; the compiler's messages are in the capture. *)
  exception Compile of string

  val stopFlag = ref false

  (* ---- compiling at top level ---- *)

  fun say s = TolqCapture.say s

  (* Prints one message of the compiler the way a top level does. *)
  fun report errors {message, hard, location : PolyML.location, context = _} =
      (if hard then errors := true else ();
       say ("stdIn:" ^ Int.toString (#startLine location)
            ^ (if hard then ": error: " else ": warning: "));
       PolyML.prettyPrint (say, 77) message;
       say "\n")

  (* Compiles and runs the declarations of text one after another, each
   * printing what it declares; stops at the first that does not compile or
   * raises. *)
  fun compile (text : string) =
      let val n = size text
          val pos = ref 0
          val line = ref 1
          fun getc () =
              if !pos >= n then NONE
              else let val c = String.sub (text, !pos)
                   in pos := !pos + 1;
                      if c = #"\n" then line := !line + 1 else ();
                      SOME c
                   end
          fun more () =
              (while !pos < n andalso Char.isSpace (String.sub (text, !pos)) do
                 (if String.sub (text, !pos) = #"\n" then line := !line + 1 else ();
                  pos := !pos + 1);
               !pos < n)
          val errors = ref false
          val params =
              [PolyML.Compiler.CPOutStream say,
               PolyML.Compiler.CPErrorMessageProc (report errors),
               PolyML.Compiler.CPNameSpace PolyML.globalNameSpace,
               PolyML.Compiler.CPPrintDepth (fn () => 100),
               PolyML.Compiler.CPPrintInAlphabeticalOrder false,
               PolyML.Compiler.CPFileName "stdIn",
               PolyML.Compiler.CPLineNo (fn () => !line)]
          fun next () =
              let val code = PolyML.compiler (getc, params)
                             handle e as Fail _ => if !errors then raise Compile "static errors" else raise e
              in code () end
          fun loop () = if more () then (next (); loop ()) else ()
      in loop () end

  (* Compiles and runs text nested in the running evaluation; compile errors
   * and exceptions reach the caller. *)
  fun usestring (texts : string list) = compile (String.concat texts)

  (* ---- reply classes ---- *)

  fun exceptionText e =
      let val name = exnName e
          val msg = exnMessage e
      in if String.isPrefix name msg then msg else name ^ " (" ^ msg ^ ")" end

  val interruptText = "\nUnhandled Exception: Interrupt\n"

  fun classify (e : exn) : TolqReply.class =
      case e of
        Compile _ => TolqReply.CompileError
      | ErrorClass msg => (say ("Error: " ^ msg ^ "\n"); TolqReply.ErrorClass)
      | T.Interrupt => (say interruptText; TolqReply.Failure)
      | _ => (say ("\nUnhandled Exception: " ^ exceptionText e ^ "\n"); TolqReply.Failure)

  fun run (text : string) : TolqReply.class =
      (compile text; TolqReply.Success) handle e => classify e

  (* ---- evaluation threads and interrupts ---- *)

  (* One running evaluation: its thread and its state. *)
  datatype state = Running | Finishing | Finished | GivenUp

  type level = {thread : T.thread option ref, state : state ref, interrupted : bool ref}

  val levelLock = M.mutex ()
  val levelChanged = CV.conditionVar ()

  (* innermost first *)
  val levels : level list ref = ref []

  fun withLevels f =
      TolqDefer.section (fn () =>
        (M.lock levelLock;
         (f () handle e => (M.unlock levelLock; raise e)) before M.unlock levelLock))

  (* An evaluation that catches every exception swallows an interrupt: it
   * is sent again every retryGap; after giveUpAfter tries the evaluation is
   * given up and answered as interrupted. *)
  val retryGap = Time.fromMilliseconds 50
  val giveUpAfter = 40

  fun running (l : level) = !(#state l) = Running

  fun interruptThread (l : level) =
      case !(#thread l) of SOME t => (T.interrupt t handle _ => ()) | NONE => ()

  fun giveUp (l : level) =
      (#state l := GivenUp;
       (case !(#thread l) of SOME t => (T.kill t handle _ => ()) | NONE => ());
       CV.broadcast levelChanged)

  fun watch (l : level) () =
      let fun loop k =
              (OS.Process.sleep retryGap;
               withLevels (fn () =>
                 if not (running l) then false
                 else if k >= giveUpAfter then (giveUp l; false)
                 else (interruptThread l; true))
               andalso loop (k + 1))
      in ignore (loop 1) end

  (* SIGINT: the innermost evaluation is interrupted; with none running the
   * signal is dropped. *)
  fun interruptInnermost () =
      withLevels (fn () =>
        case !levels of
          (l as {interrupted, ...}) :: _ =>
            if running l andalso not (!interrupted)
            then (interrupted := true;
                  interruptThread l;
                  ignore (T.fork (watch l, [])))
            else ()
        | [] => ())

  val evalAttributes =
      [T.InterruptState T.InterruptAsynch, T.MaximumMLStack NONE, T.EnableBroadcastInterrupt false]

  (* Runs f as the innermost interruptible evaluation, in a thread of its
   * own, then finish with SOME result, or NONE when an interrupt ended f.
   * finish runs in that thread with interrupts held off, so what it sends
   * goes out whole. When the evaluation does not stop after repeated
   * interrupts it is given up, and givenUp () answers in its place. *)
  fun interruptible (f : unit -> 'a, finish : 'a option -> 'b, givenUp : unit -> 'b) : 'b =
      let val l : level = {thread = ref NONE, state = ref Running, interrupted = ref false}
          val result : 'b option ref = ref NONE
          val failure : exn option ref = ref NONE
          fun defer () = T.setAttributes [T.InterruptState T.InterruptDefer]
          fun claim () = withLevels (fn () => running l andalso (#state l := Finishing; true))
          fun settle (r, e) =
              withLevels (fn () =>
                (result := r; failure := e; #state l := Finished; CV.broadcast levelChanged))
          fun body () =
              let val r = (SOME (f ()) before defer ())
                          handle T.Interrupt => (defer (); NONE)
                               | e => (defer (); raise e)
              in if claim ()
                 then (settle (SOME (TolqDefer.section (fn () => finish r)), NONE)
                       handle e => settle (NONE, SOME e))
                 else ()
              end
              handle e => if claim () then settle (NONE, SOME e) else ()
          fun waitForEnd () =
              (while !(#state l) = Running orelse !(#state l) = Finishing do
                 CV.wait (levelChanged, levelLock);
               levels := List.filter (fn (x : level) => #state x <> #state l) (!levels))
      in withLevels (fn () =>
           (levels := l :: !levels;
            #thread l := SOME (T.fork (body, evalAttributes));
            waitForEnd ()));
         case (!result, !failure) of
           (SOME b, _) => b
         | (NONE, SOME e) => raise e
         | (NONE, NONE) => givenUp ()
      end

  (* ---- one evaluation ---- *)

  (* tolq sends at most one input text with a request, and the next only
   * after the reply. Input still unread when a top-level evaluation ends
   * was never read (the text failed before it got there) and must not be
   * taken for the input of the next request; it is dropped before the
   * reply goes out. *)
  fun dropStaleInput () = TolqChannel.drain TolqChannel.textIn

  (* Evaluates one text that tolq sent and writes the reply: everything
   * printed, then the terminator of its class. top: not nested in another
   * evaluation. *)
  fun evaluate (text : string) =
      let val top = withLevels (fn () => null (!levels))
          fun reply outcome =
              let val class =
                      case outcome of
                        SOME c => c
                      | NONE => (say interruptText; TolqReply.Failure)
              in if top then dropStaleInput () else ();
                 TolqReply.send (TolqCapture.popTo 0, class)
              end
          fun givenUp () =
              (if top then dropStaleInput () else ();
               TolqReply.send (interruptText, TolqReply.Failure))
      in interruptible (fn () => (TolqCapture.install (); TolqCapture.push (); run text),
                        reply, givenUp)
      end

  (* ---- signals ---- *)

  fun installSignals () =
      let fun number s = SysWord.toInt (Posix.Signal.toWord s)
          fun set (s, h) = ignore (Signal.signal (number s, h))
      in set (Posix.Signal.int, Signal.SIG_HANDLE (fn _ => interruptInnermost ()));
         set (Posix.Signal.usr1, Signal.SIG_HANDLE (fn _ => stopFlag := true));
         set (Posix.Signal.term, Signal.SIG_HANDLE (fn _ => TolqExit.now 0));
         set (Posix.Signal.pipe, Signal.SIG_IGN)
      end
end
