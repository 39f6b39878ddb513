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

  (* ---- the server, its levels, and interrupts ---- *)

  (* One thread, the server, reads tolq's requests and runs each evaluation
   * itself; a request of ours that waits for tolq's answer may serve nested
   * evaluations there, so the running evaluations form a stack of levels,
   * innermost first. Each level knows how to answer tolq in its place. *)
  type level = {serial : int, givenUp : unit -> unit}

  val levelLock = M.mutex ()
  val levels : level list ref = ref []
  val serials = ref 0

  fun withLevels f = TolqDefer.locked levelLock f

  val server = TolqServer.thread

  (* An evaluation that catches every exception swallows an interrupt: it
   * is sent again every retryGap; after giveUpAfter tries the server is
   * given up, every level it ran is answered as interrupted, and a new
   * server takes over. *)
  val retryGap = Time.fromMilliseconds 50
  val giveUpAfter = 40

  (* The level an interrupt is under way for, if any. *)
  val interrupting : int option ref = ref NONE

  fun interruptServer () =
      case !server of SOME t => (T.interrupt t handle _ => ()) | NONE => ()

  fun giveUp () =
      let val answers = map #givenUp (!levels)
      in TolqServer.generation := !TolqServer.generation + 1;
         (case !server of SOME t => (T.kill t handle _ => ()) | NONE => ());
         levels := [];
         interrupting := NONE;
         List.app (fn answer => answer () handle _ => ()) answers;
         !TolqServer.start ()
      end

  fun watch (target : int) () =
      let fun loop k =
              (OS.Process.sleep retryGap;
               withLevels (fn () =>
                 (* A level that ends clears its interrupt. *)
                 if !interrupting <> SOME target then false
                 else if k >= giveUpAfter then (giveUp (); false)
                 else (interruptServer (); true))
               andalso loop (k + 1))
      in ignore (loop 1) end

  (* SIGINT, with the levels locked: the innermost evaluation is
   * interrupted; with none running the signal is dropped. *)
  fun interruptInnermost () =
      case !levels of
        {serial, ...} :: _ =>
          if !interrupting = SOME serial then ()
          else (interrupting := SOME serial;
                interruptServer ();
                ignore (T.fork (watch serial, [])))
      | [] => ()

  fun dispatch signal =
      if signal = TolqSignals.number Posix.Signal.int then interruptInnermost ()
      else if signal = TolqSignals.number Posix.Signal.usr1 then stopFlag := true
      else if signal = TolqSignals.number Posix.Signal.term then TolqExit.now 0
      else ()

  (* Signals pending at the start of a top-level evaluation came before its
   * text: SIGINTs among them were meant for an evaluation that has ended. *)
  fun takeEarlierSignals () =
      case TolqSignals.take () of
        SOME signal => (if signal = TolqSignals.number Posix.Signal.int then () else dispatch signal;
                        takeEarlierSignals ())
      | NONE => ()

  (* The thread that reads the signal descriptor. *)
  fun readSignals () =
      (TolqSignals.wait ();
       withLevels (fn () =>
         let fun each () = case TolqSignals.take () of
                             SOME signal => (dispatch signal; each ())
                           | NONE => ()
         in each () end);
       readSignals ())

  (* Runs f as a new innermost level, with interrupts let through while it
   * runs; NONE when an interrupt ended it. *)
  fun asLevel (givenUp : unit -> unit) (f : unit -> 'a) : 'a option =
      let val top = ref false
          val serial = withLevels (fn () =>
                         (top := null (!levels);
                          if !top then takeEarlierSignals () else ();
                          serials := !serials + 1;
                          levels := {serial = !serials, givenUp = givenUp} :: !levels;
                          !serials))
          fun leave () =
              withLevels (fn () =>
                (levels := List.filter (fn (l : level) => #serial l <> serial) (!levels);
                 if !interrupting = SOME serial then interrupting := NONE else ()))
          val result = TolqDefer.interruptible (!top) f
      in leave (); result end

  (* ---- one evaluation ---- *)

  (* tolq sends at most one input text with a request, and the next only
   * after the reply. Input still unread when a top-level evaluation ends
   * was never read (the text failed before it got there) and must not be
   * taken for the input of the next request; it is dropped before the
   * reply goes out. *)
  fun dropStaleInput () = TolqChannel.drain TolqChannel.textIn

  (* Evaluates one text that tolq sent and writes the reply: everything
   * printed, then the terminator of its class. *)
  fun evaluate (text : string) =
      let val top = withLevels (fn () => null (!levels))
          fun givenUp () = TolqReply.send (interruptText, TolqReply.Failure)
          val () = TolqCapture.install ()
          val d = TolqCapture.depth ()
          val () = TolqCapture.push ()
          val outcome = asLevel givenUp (fn () => run text)
          val class = case outcome of
                        SOME c => c
                      | NONE => (say interruptText; TolqReply.Failure)
      in if top then dropStaleInput () else ();
         TolqReply.send (TolqCapture.popTo d, class)
      end

  (* Where signals cannot come through a descriptor, the run-time's handlers
   * take them. *)
  fun installSignals () =
      let fun set (s, h) = ignore (Signal.signal (TolqSignals.number s, h))
          fun handle' s = Signal.SIG_HANDLE (fn _ => withLevels (fn () => dispatch (TolqSignals.number s)))
      in set (Posix.Signal.int, handle' Posix.Signal.int);
         set (Posix.Signal.usr1, handle' Posix.Signal.usr1);
         set (Posix.Signal.term, Signal.SIG_HANDLE (fn _ => TolqExit.now 0))
      end
end
