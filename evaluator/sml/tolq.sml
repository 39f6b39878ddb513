(* The ML side of tolq's services: typed functions through which the
 * libraries send numbered kernel requests, table calls, chart callbacks and
 * Pantel requests to tolq, read the input texts that follow some requests,
 * serve tolq's field-list requests, end an evaluation in the "Error" class,
 * and poll the stop-run flag. *)
structure Tolq =
struct
  structure B = TolqBytes
  structure V = Word8Vector

  (* Raised to end the running evaluation with a reply of the "Error" class. *)
  exception Error = TolqEval.ErrorClass

  (* tolq refused a request of ours (unknown code, bad call). *)
  exception Refused of string

  (* A request that must not be sent: too long, or a value out of range. *)
  exception BadRequest of string

  exception Protocol = TolqLink.Protocol

  (* The largest request body tolq takes, and the largest answer we take. *)
  val maxRequest = 4096
  val maxAnswer = 16 * 1024 * 1024

  fun readAnswerBody () =
      let val n = B.wordToInt (TolqChannel.readWord TolqChannel.bin)
      in if n < 0 orelse n > maxAnswer then raise B.Malformed "answer length out of range"
         else TolqChannel.readBytes (TolqChannel.bin, n)
      end

  fun checkSize body =
      if V.length body > maxRequest
      then raise BadRequest ("request of " ^ Int.toString (V.length body) ^ " bytes")
      else ()

  (* Sends opcode, word n, n bytes; the answer is word n, n bytes after
   * okOp, or failOp alone. *)
  fun counted (opcode, body, okOp, failOp, what) : B.cursor =
      (checkSize body;
       TolqLink.request
         ([B.word opcode, B.int (V.length body), body],
          fn op' => if op' = okOp then SOME (fn () => B.cursor (readAnswerBody ()))
                    else if op' = failOp then SOME (fn () => raise Refused what)
                    else NONE))

  (* Reads a whole answer, turning a malformed one into Protocol. *)
  fun decode (c : B.cursor) f = f c handle B.Malformed m => raise Protocol m

  fun inRange (lo, hi) i = if i < lo orelse i > hi then raise BadRequest "value out of range" else i

  (* ---- numbered kernel requests ---- *)
  structure Kernel =
  struct
    datatype arg =
        U32 of int            (* a handle, flag or number *)
      | S16 of int            (* a 16-bit number *)
      | Px of int             (* a coordinate or size in pixels *)
      | Str of string         (* counted text, no padding *)
      | List of int list      (* count and words *)
      | PxList of int list    (* count of coordinate values and the values *)

    fun listOf l = (ignore (inRange (0, 32767) (length l)); B.int (length l) :: map B.int l)

    fun encode (U32 i) = [B.int i]
      | encode (S16 i) = [B.int (inRange (~32768, 65535) i)]
      | encode (Px i) = [B.int i]
      | encode (Str s) = [B.rawString s]
      | encode (List l) = listOf l
      | encode (PxList l) = listOf l

    (* Sends request code with its arguments; returns a cursor on tolq's
     * answer. Refused when tolq does not know the code. *)
    fun call (code : int) (args : arg list) : B.cursor =
        counted (0w4, V.concat (B.int code :: List.concat (map encode args)), 0w2, 0w4,
                 "kernel request " ^ Int.toString code)

    (* Answer readers *)
    val int = B.getInt
    val str = B.getRawString
    val pstr = B.getPStr

    (* R, and when R is not 0 a count and that many handles *)
    fun hlist c = if B.getInt c = 0 then [] else B.getWordList c

    fun result code args = decode (call code args) int
    fun unit code args = ignore (call code args)
    fun handles code args = decode (call code args) hlist
    (* R, then the values read by rest only when R is not 0 *)
    fun whenNonZero code args rest =
        decode (call code args) (fn c => if int c = 0 then NONE else SOME (rest c))
    fun pair c = let val a = int c in (a, int c) end

    fun createLabel {page, x, y, width, height, text} =
        result 20 [U32 page, Px x, Px y, Px width, Px height, Str text]
    fun createNode {page, x, y, width, height, shape} =
        result 21 [U32 page, Px x, Px y, Px width, Px height, U32 shape]
    fun createConnector {page, from, to} = result 22 [U32 page, U32 from, U32 to]
    fun deleteObject obj = result 31 [U32 obj]
    fun duplicateObjects (page, objects) =
        decode (call 40 [U32 page, List objects])
               (fn c => let val r = int c in (r, B.getWordList c) end)
    fun showMessage text = unit 1010 [Str text]
    fun confirm text = result 1190 [Str text] <> 0
    (* The number or text the user typed; NONE when the dialog was cancelled. *)
    fun askNumber (prompt, initial) = whenNonZero 1050 [Str prompt, U32 initial] int
    fun askString (prompt, initial) =
        if size initial > 255 then raise BadRequest "initial answer longer than 255 bytes"
        else whenNonZero 1060 [Str prompt, Str initial] str
    (* A file name from the file selector; NONE when it was cancelled. *)
    fun selectFile (title, initial) = whenNonZero 1200 [Str title, Str initial] str
    (* The object the user picked of the kinds (4 node, 8 connector, 16 region), or 0 *)
    fun pickObject kinds = result 3000 [S16 kinds, U32 0]
    fun doCommand command = result 7080 [S16 command]
    fun getText obj = whenNonZero 2060 [U32 obj] str
    fun setText (obj, text) = result 2090 [U32 obj, Str text]
    fun appendText (obj, text) = result 2100 [U32 obj, Str text]
    fun pageList () = handles 4020 []
    fun nodeList page = handles 4090 [U32 page]
    fun regionList obj = handles 4150 [U32 obj]
    fun setStatusBarMessage text = unit 8140 [Str text]
    fun redrawObject obj = unit 8160 [U32 obj]
    fun size obj = whenNonZero 9290 [U32 obj] pair
    fun position obj = whenNonZero 9300 [U32 obj] pair
    fun setPosition (obj, x, y) = result 11040 [U32 obj, Px x, Px y]
    fun pageInstances page = decode (call 15000 [U32 page]) B.getWordList
    fun recordMembers record = decode (call 15001 [U32 record]) B.getWordList
  end

  (* ---- table calls ---- *)
  structure Table =
  struct
    (* Slot types 1 to 8 *)
    datatype kind = INT | HEAPSTRING | SHORT | NOTHING | SHORT5 | KSTRING6 | KSTRING7 | BLOCK

    datatype value = I of int | S of string | NONE'

    datatype arg =
        In of kind * value
      | Out of kind
      | InOut of kind * value
      | OutBlock of int       (* an output block of that many bytes *)

    fun kindCode k =
        case k of INT => 1 | HEAPSTRING => 2 | SHORT => 3 | NOTHING => 4
                | SHORT5 => 5 | KSTRING6 => 6 | KSTRING7 => 7 | BLOCK => 8

    fun isShort k = k = SHORT orelse k = SHORT5
    fun isString k = k = HEAPSTRING orelse k = KSTRING6 orelse k = KSTRING7

    fun value (k, v) =
        case (k, v) of
          (INT, I i) => [B.int i]
        | (_, I i) => if isShort k then [B.int (inRange (~32768, 65535) i)]
                      else raise BadRequest "number for a non-number slot"
        | (NOTHING, NONE') => []
        | (_, S s) => if isString k orelse k = BLOCK then [B.paddedString s]
                      else raise BadRequest "text for a non-text slot"
        | _ => raise BadRequest "slot value does not fit its type"

    fun encodeArg (In (k, v)) = B.int 1 :: B.int (kindCode k) :: value (k, v)
      | encodeArg (Out k) =
          if k = BLOCK then raise BadRequest "output block without size"
          else [B.int 2, B.int (kindCode k)]
      | encodeArg (InOut (k, v)) = B.int 3 :: B.int (kindCode k) :: value (k, v)
      | encodeArg (OutBlock n) = [B.int 2, B.int 8, B.int (inRange (0, maxAnswer) n)]

    (* The answer has no length of its own: its values are read one by one
     * from the channel, in slot order. *)
    fun readWord () = TolqChannel.readWord TolqChannel.bin
    fun readPadded () =
        let val n = B.wordToInt (readWord ())
        in if n < 0 orelse n > maxAnswer then raise B.Malformed "text length out of range" else ();
           Byte.bytesToString (TolqChannel.readBytes (TolqChannel.bin, n))
           before ignore (TolqChannel.readBytes (TolqChannel.bin, B.padOf n))
        end

    fun readValue k =
        if k = INT then I (B.wordToInt (readWord ()))
        else if isShort k then I (B.wordToShort (readWord ()))
        else if isString k orelse k = BLOCK then S (readPadded ())
        else NONE'

    fun readArg (In _) = NONE'
      | readArg (Out k) = readValue k
      | readArg (InOut (k, _)) = readValue k
      | readArg (OutBlock _) = readValue BLOCK

    (* Calls row of tolq's function table. The answer holds the result,
     * then one value per argument (NONE' for input-only arguments). *)
    fun call {row : int, result : kind, args : arg list} : {result : value, outputs : value list} =
        let val () = if row < 0 orelse row > 55 then raise BadRequest "row out of range" else ()
            val () = if length args > 5 then raise BadRequest "more than five arguments" else ()
            val () = if result = BLOCK then raise BadRequest "block as result" else ()
            val message =
                [B.word 0w5, B.int row, B.int (1 + length args), B.int (kindCode result)]
                @ List.concat (map encodeArg args)
            fun read () =
                let val r = readValue result
                in {result = r, outputs = map readArg args} end
        in TolqLink.request
             (message,
              fn 0w5 => SOME read
               | 0w6 => SOME (fn () => raise Refused ("table call " ^ Int.toString row))
               | _ => NONE)
        end

    (* Rows of tolq's function table. *)
    val newPage = 0 and createNetPage = 1 and createDeclNode = 2 and buildDeclRegions = 3
    and createNetTrans = 4 and createNetPlace = 5 and createNetArc = 6 and makePort = 7
    and attachRegionOfKind = 8 and refreshObjectFlags = 9 and updateNetFromObject = 10
    and findChildRegion = 11 and getRegion = 12 and nameRegionText = 13 and copyName = 14
    and makeCompound = 15 and assignSubpage = 16 and assignPort = 17 and updateHierarchyTag = 18
    and objectRefName = 19 and objectKind = 20 and isPort = 21 and findFusSet = 22
    and addFusionMember = 23 and createPlaceFusSet = 24 and setRecordName = 25
    and udSetField = 26 and udGetFieldSize = 27 and udGetField = 28 and udDeleteField = 29
    and createTransFusSet = 30 and testPageFlag = 31 and testNodeFlag = 32 and primeCount = 33
    and testInstanceMode = 34 and recordName = 35 and instanceText = 36 and recordLink = 37
    and kvObject = 38 and recordOfObject = 39 and parentInstance = 40 and instanceNumber = 41
    and instanceNode = 42 and flags = 43 and compound = 44 and compoundNode = 45
    and resolvePort = 46 and subKind = 47 and fusionSet = 48 and placeStateText = 49
    and setPlaceStateText = 50 and updatePageNameRegion = 51

    (* A row of integer arguments with an integer result. *)
    fun intCall (row, args) =
        case call {row = row, result = INT, args = map (fn i => In (INT, I i)) args} of
          {result = I r, ...} => r
        | _ => raise Protocol "table call without an integer result"

    (* A row of integer (and text) arguments with a text result. *)
    fun textCall (row, args) =
        case call {row = row, result = HEAPSTRING, args = args} of
          {result = S t, ...} => t
        | _ => raise Protocol "table call without a text result"
  end

  (* ---- chart callbacks ---- *)
  structure Chart =
  struct
    datatype arg =
        Int of int
      | Real of real
      | Text of string
      | List of arg list      (* count, then the elements *)
      | Group of arg list     (* several items one after another, as a list element *)

    (* Reals travel as ML text; tolq turns the first '~' into '-' and reads
     * the text with C's number syntax, so an exponent's sign is written
     * as '-'. *)
    fun realText r =
        let val t = TolqReal.shortest r
            val first = if String.isPrefix "~" t then "~" else ""
            val rest = String.extract (t, size first, NONE)
        in first ^ String.map (fn #"~" => #"-" | c => c) rest end

    fun encode (Int i) = [B.int i]
      | encode (Real r) = [B.rawString (realText r)]
      | encode (Text t) = [B.rawString t]
      | encode (List l) = B.int (length l) :: List.concat (map encode l)
      | encode (Group l) = List.concat (map encode l)

    fun call (code : int, chart : string, args : arg list) : B.cursor =
        counted (0w6, V.concat (B.int code :: B.rawString chart :: List.concat (map encode args)),
                 0w7, 0w8, "chart callback " ^ Int.toString code)

    (* The operation's result word *)
    fun result request = decode (call request) B.getInt

    (* A chart creation: the result, and the chart's name when it is 0 *)
    fun create request =
        decode (call request)
               (fn c => let val r = B.getInt c
                        in (r, if r = 0 then SOME (B.getRawString c) else NONE) end)
  end

  (* ---- Pantel requests ---- *)
  structure Pantel =
  struct
    type region = {region : int, text : string, flag4 : int, highlight : int, x : int, y : int}
    type connector = {connector : int, text : string, flag4 : int, highlight : int,
                      from : int, to : int}
    type node = {page : int, node : int, name : string, flag4 : int, x : int, y : int,
                 regions : region list, connectors : connector list}

    fun call body = counted (0w8, V.concat body, 0w10, 0w11, "Pantel request")

    fun listOf c read = List.tabulate (B.getCount c, fn _ => read c)
        handle Size => raise B.Malformed "count too large"

    fun readRegion c : region =
        let val region = B.getInt c
            val text = B.getPStr c
            val flag4 = B.getInt c
            val highlight = B.getInt c
            val x = B.getInt c
        in {region = region, text = text, flag4 = flag4, highlight = highlight,
            x = x, y = B.getInt c}
        end

    fun readConnector c : connector =
        let val connector = B.getInt c
            val text = B.getPStr c
            val flag4 = B.getInt c
            val highlight = B.getInt c
            val from = B.getInt c
        in {connector = connector, text = text, flag4 = flag4, highlight = highlight,
            from = from, to = B.getInt c}
        end

    fun readNode c : node =
        let val page = B.getInt c
            val node = B.getInt c
            val name = B.getPStr c
            val flag4 = B.getInt c
            val x = B.getInt c
            val y = B.getInt c
            val regions = listOf c readRegion
        in {page = page, node = node, name = name, flag4 = flag4, x = x, y = y,
            regions = regions, connectors = listOf c readConnector}
        end

    (* The node of the named page whose name region holds nodeName *)
    fun describeNode (pageName : string, nodeName : string) : node option =
        decode (call [B.int 10, B.rawString pageName, B.rawString nodeName])
               (fn c => if B.getInt c = 0 then SOME (readNode c) else NONE)

    (* Highlights the node and lets the user pick one of its parts *)
    fun pick {page : int, node : int, a : int list, b : int list} : int =
        let fun words l = B.int (length l) :: map B.int l
        in decode (call (B.int 11 :: B.int page :: B.int node :: words a @ words b))
                  (fn c => (ignore (B.getInt c); B.getInt c))
        end
  end

  (* ---- tolq's field-list requests ---- *)
  structure Fields =
  struct
    type fields = TolqLink.fields
    (* Installs the function that answers tolq's field-list requests. *)
    fun serve (f : fields -> fields) = TolqLink.fieldServer := f
  end

  (* ---- input texts on standard input ---- *)
  structure Input =
  struct
    (* One input text: pieces separated by \006 and a newline, the whole
     * ended by \004 and a newline. *)
    fun read () : string =
        let val r = TolqChannel.textIn
            fun byte () = TolqChannel.readByte r
            fun dropNewline () = if byte () = 0w10 then () else TolqChannel.unreadByte r
            fun loop acc =
                case byte () of
                  0w4 => (dropNewline (); String.implode (rev acc))
                | 0w6 => (dropNewline (); loop acc)
                | b => loop (Byte.byteToChar b :: acc)
        in loop [] end
  end

  (* ---- the stop-run flag (SIGUSR1) ---- *)
  structure Stop =
  struct
    fun requested () = !TolqEval.stopFlag
    fun clear () = TolqEval.stopFlag := false
  end
end
